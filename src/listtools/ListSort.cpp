#include "listtools/ListSort.h"

#include "app/EmployeeList.h"
#include "text/Convert.h"
#include "text/Cp1251.h"

#include <QCollator>
#include <QLocale>
#include <QString>

#include <algorithm>
#include <numeric>
#include <vector>

namespace veltor {

namespace {

const QCollator &russianCollator()
{
    // The comparison is Russian whatever locale the machine runs in, so the order a clerk sees
    // does not depend on how the system was installed.
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::Russian, QLocale::Russia)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return collator;
}

} // namespace

std::string SortCodeList(const std::string &codes, int dataRows,
                         const std::function<const std::string &(int row)> &cell, SortOrder order)
{
    const std::vector<std::string> entries = splitCodeList(codes);
    const int rows = std::max(0, std::min(dataRows, static_cast<int>(entries.size())));

    std::vector<std::string> rowCodes(rows);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(rows);
    const QCollator &collator = russianCollator();
    for (int r = 0; r < rows; ++r) {
        rowCodes[r] = intToStr(strToInt(entries[r]));
        const std::string key = cell(r + 1) + "@" + rowCodes[r];
        keys.push_back(collator.sortKey(QString::fromStdString(cp1251ToUtf8(key))));
    }

    std::vector<int> sorted(rows);
    std::iota(sorted.begin(), sorted.end(), 0);
    // Equal keys hold equal codes, so the order of the result does not depend on stability.
    std::sort(sorted.begin(), sorted.end(),
              [&](int a, int b) { return keys[a].compare(keys[b]) < 0; });
    if (order == SortOrder::Descending)
        std::reverse(sorted.begin(), sorted.end());

    std::string result;
    result.reserve(static_cast<size_t>(rows) * 6);
    for (int i : sorted) {
        result += rowCodes[i];
        result += ',';
    }
    return result;
}

} // namespace veltor
