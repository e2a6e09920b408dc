// The user's guide as a word processor reads it: LibreOffice opens Help.doc and finds the
// placeholders a template writer needs, spelled exactly, and the program's messages.
#include "HelpDocument.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "records/AppState.h"
#include "app/Unit1.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"

namespace veltor::demo {
namespace {

// The captions of every command a clerk can reach from the main menu, submenus included,
// without the "&" of their keyboard letters.
void collectCaptions(const QList<QAction *> &actions, QStringList &captions)
{
    for (QAction *action : actions) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        captions << action->text().remove(QLatin1Char('&'));
        if (action->menu())
            collectCaptions(action->menu()->actions(), captions);
    }
}

TEST(HelpDocument, NamesEveryMainMenuCommand)
{
    // The guide left out «Экспорт перечня…», «Проверка данных» and «Восстановить из архива…».
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "help";
    char *argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QStringList captions;
    {
        AppState state;
        TForm1 window(state);
        collectCaptions(window.menuBar()->actions(), captions);
    }
    ASSERT_GE(captions.size(), 25);
    const std::string text = cp1251ToUtf8(RtfDocument(helpDocument(), "Help.doc").text());
    for (const QString &caption : captions)
        EXPECT_NE(text.find("«" + caption.toStdString() + "»"), std::string::npos) << caption.toStdString();
}

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
          "<TRUD.PRED.DOLZH>", "Добавить шаблон документа", "Потоковый ввод данных", "т-9.RTF - командировка",
          "пишите <FAM><IMJA><OTCH> слитно", "«Открыть папку»", ".docx",
          "Немогу выполнить архивирование!", "Не найдены базы! Настройте программу.", "Word не найден"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_EQ(text.find("\\'"), std::string::npos) << "RTF escapes leaked into the text";
}

} // namespace
} // namespace veltor::demo
