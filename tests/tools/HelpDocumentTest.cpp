// The user's guide as a word processor reads it: LibreOffice opens Help.doc and finds the
// placeholders a template writer needs, spelled exactly, and the program's messages.
#include "HelpDocument.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace veltor::demo {
namespace {

TEST(HelpDocument, LibreOfficeReadsTheGuideWithItsPlaceholderTable)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::filesystem::path folder = temp.path().toStdString();
    std::ofstream(folder / "Help.doc", std::ios::binary) << helpDocument();

    QProcess process;
    process.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + temp.path() + QStringLiteral("/profile"),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                            QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("--outdir"), temp.path(),
                            temp.path() + QStringLiteral("/Help.doc")});
    ASSERT_TRUE(process.waitForFinished(180000)) << "soffice did not finish";
    std::ifstream in(folder / "Help.txt", std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(text.empty()) << process.readAllStandardError().toStdString();

    for (const char *expected :
         {"Руководство пользователя", "<OSNOVA.FIO>", "<OSNOVA.OKLAD_PROPIS>", "<OBRAZ.DOK_N>", "<FAM>",
          "<DATA>", "<DOLZH.DOLZH_KOGO>", "<KONST.DIREKTOR.FIO>", "<KONST.DIREKTOR.DOLZH_KOMU>", "<DALEE>",
          "<TRUD.PRED.DOLZH>", "Добавить шаблон документа", "Потоковый ввод данных",
          "Немогу выполнить архивирование!", "Не найдены базы! Настройте программу.", "Word не найден"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_EQ(text.find("\\'"), std::string::npos) << "RTF escapes leaked into the text";
}

} // namespace
} // namespace veltor::demo
