#pragma once
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "storage/FileNames.h"

namespace veltor::test {

// A table file as an independent dBASE reader (python3-dbfread) sees it: record count, fields
// and records. An empty object when python3 with dbfread is missing.
inline QJsonObject dbfread(const std::filesystem::path &file)
{
    QProcess process;
    process.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral(DBFREAD_DUMP), pathToQString(file)});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "dbfread failed on " << file << ": "
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

// Field `name` of every record, as dbfread decodes it (trailing blanks stripped).
inline std::vector<std::string> dbfColumn(const QJsonObject &table, const std::string &name)
{
    const QJsonArray fields = table["fields"].toArray();
    int index = -1;
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].toArray()[0].toString().toStdString() == name)
            index = i;
    std::vector<std::string> values;
    if (index < 0)
        return values;
    for (const QJsonValue &record : table["records"].toArray())
        values.push_back(record.toArray()[index].toString().toStdString());
    return values;
}

inline std::vector<std::string> dbfFieldNames(const QJsonObject &table)
{
    std::vector<std::string> names;
    for (const QJsonValue &f : table["fields"].toArray())
        names.push_back(f.toArray()[0].toString().toStdString());
    return names;
}

} // namespace veltor::test
