// Where a printed document went: the status bar names it, and a document the desktop cannot
// show is named in a message whose button opens its folder.
#include "AppFixture.h"

#include "app/DocumentNotices.h"
#include "documents/TemplatePrinting.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QStatusBar>
#include <QtTest/QTest>

namespace veltor::test {
namespace {

class DocumentNotices : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        m_path = qgetenv("PATH");
        setDocumentApplicationFactory(rtfApplicationFactory());
    }
    void TearDown() override
    {
        qputenv("PATH", m_path);
        setFolderOpener({});
        AppFixture::TearDown();
    }

    // An opener on the PATH that finds no application for the file, as xdg-open does on a
    // desktop without a word processor.
    void useFailingOpener()
    {
        const auto bin = root / "bin";
        std::filesystem::create_directories(bin);
        std::ofstream(bin / "xdg-open") << "#!/bin/sh\nexit 3\n";
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + m_path);
    }

private:
    QByteArray m_path;
};

TEST_F(DocumentNotices, UnshownDocumentIsNamedAndItsFolderOpened)
{
    // The output folder typed without its final separator.
    writeConfig("[PUT]\r\n" + (database / "osnova.dbf").string() + "\r\n[DOK]\r\n" + (root / "t").string()
                + "\r\n[VYVOD]\r\n" + (root / "out").string() + "\r\n[INTERFACE]\r\n0\r\n[VID]\r\n11\r\n");
    addColumn("ФИО", "FIO", "1");
    addEmployee(1, "Белова Ирина Николаевна");
    std::filesystem::create_directories(root / "out");
    useFailingOpener();
    QStringList opened;
    setFolderOpener([&](const QString &folder) { opened << folder; });
    start();

    // Before, nothing appeared and nothing was said.
    Dialogs::queueAnswer(true);
    form->N5_1->trigger();
    const QString file = QString::fromStdString((root / "out" / "Perechen.doc").string());
    EXPECT_EQ(form->statusBar()->currentMessage(), QString::fromUtf8("Документ сохранен: ") + file);
    QTRY_COMPARE_WITH_TIMEOUT(Dialogs::shownMessages().size(), 1, 10000);
    const QString message = Dialogs::shownMessages().front();
    EXPECT_TRUE(message.contains(file)) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8("xdg-open завершился с кодом 3"))) << message.toStdString();
    EXPECT_EQ(opened, QStringList{QString::fromStdString((root / "out").string())});
    EXPECT_TRUE(std::filesystem::is_regular_file(root / "out" / "Perechen.doc"));

    // Declined, the folder stays closed.
    reportUnshownDocument(root / "out" / "Perechen.doc", "причина", form.get());
    EXPECT_EQ(opened.size(), 1);

    // Without a word processor the document is still shown: in the program's own preview.
    Dialogs::queueActionChoice(1);
    reportUnshownDocument(root / "out" / "Perechen.doc", "причина", form.get());
    QPrintPreviewDialog *preview = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((preview = form->findChild<QPrintPreviewDialog *>()) != nullptr, 10000);
    EXPECT_TRUE(preview->isVisible());
    preview->close();
    EXPECT_EQ(opened.size(), 1);
}

} // namespace
} // namespace veltor::test
