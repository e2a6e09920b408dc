// The preview and PDF of a filled document: the preview laid out behind a progress dialog and
// shown, its "Сохранить в PDF" writing beside the document; a PDF laid out and written in a
// worker thread while the window keeps running.
#include "app/Dialogs.h"
#include "app/DocumentOutput.h"
#include "printing/RtfDocument.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <QAction>
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <filesystem>

namespace veltor {
namespace {

namespace fs = std::filesystem;

QPrintPreviewDialog *openPreview()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<QPrintPreviewDialog *>(w); d != nullptr && d->isVisible())
            return d;
    return nullptr;
}

// A saved list of `rows` rows, as the list printing writes it.
fs::path savedList(const QTemporaryDir &folder, int rows)
{
    auto document = RtfDocument::blank();
    document->addTable(1, 3);
    for (int r = 1; r <= rows; ++r) {
        for (int c = 1; c <= 3; ++c)
            document->setCellText(1, r, c, cp("Иванов Иван ") + std::to_string(r));
        if (r < rows)
            document->addRow(1);
    }
    const fs::path file = fs::path(folder.path().toStdString()) / "Perechen.doc";
    document->saveAs(file);
    return file;
}

TEST(DocumentOutput, PreviewComesAfterLayoutAndSavesPdfBesideTheDocument)
{
    Dialogs::setTestMode(true);
    Dialogs::clearRecorded();
    QTemporaryDir folder;
    const fs::path file = savedList(folder, 300);
    QWidget window;
    layOutDocument(file, LayoutThen::ShowPreview, &window);
    QPrintPreviewDialog *preview = openPreview();
    ASSERT_NE(preview, nullptr);
    QTRY_VERIFY(window.findChild<QProgressDialog *>(QStringLiteral("LayoutProgress")) == nullptr);
    EXPECT_EQ(preview->windowTitle(), QString::fromUtf8("Просмотр — Perechen.doc"));
    EXPECT_FALSE(preview->isModal()) << "windows are modeless";
    QAction *pdf = preview->findChild<QAction *>(QStringLiteral("SavePdf"));
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(pdf->text(), QString::fromUtf8("Сохранить в PDF"));
    pdf->trigger();
    const fs::path written = fs::path(folder.path().toStdString()) / "Perechen.pdf";
    EXPECT_TRUE(fs::exists(written));
    ASSERT_FALSE(Dialogs::shownMessages().isEmpty());
    EXPECT_TRUE(Dialogs::shownMessages().back().contains(QStringLiteral("Perechen.pdf")));
    preview->close();
    QTRY_VERIFY(openPreview() == nullptr);
}

TEST(DocumentOutput, ACancelledLayoutShowsNothing)
{
    Dialogs::setTestMode(true);
    Dialogs::clearRecorded();
    QTemporaryDir folder;
    const fs::path file = savedList(folder, 5000);
    QWidget window;
    layOutDocument(file, LayoutThen::SavePdf, &window);
    // The call returns at once: the PDF is made in a worker thread behind the progress.
    auto *progress = window.findChild<QProgressDialog *>(QStringLiteral("LayoutProgress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->accessibleName(), QString::fromUtf8("Подготовка документа"));
    auto *cancel = progress->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    cancel->click(); // as the clerk does
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QProgressDialog *>(QStringLiteral("LayoutProgress")) == nullptr, 60000);
    QTest::qWait(50);
    EXPECT_FALSE(fs::exists(fs::path(folder.path().toStdString()) / "Perechen.pdf"));
    EXPECT_EQ(openPreview(), nullptr);
    EXPECT_TRUE(Dialogs::shownMessages().isEmpty());
}

TEST(DocumentOutput, APdfIsWrittenBesideTheDocumentInTheBackground)
{
    Dialogs::setTestMode(true);
    QTemporaryDir folder;
    const fs::path file = savedList(folder, 400);
    QWidget window;
    layOutDocument(file, LayoutThen::SavePdf, &window);
    const fs::path pdf = fs::path(folder.path().toStdString()) / "Perechen.pdf";
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(pdf), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(window.findChild<QProgressDialog *>(QStringLiteral("LayoutProgress")) == nullptr, 60000);
}

TEST(DocumentOutput, ADocumentThatIsNotRtfIsReported)
{
    Dialogs::setTestMode(true);
    Dialogs::clearRecorded();
    QTemporaryDir folder;
    const fs::path file = fs::path(folder.path().toStdString()) / "broken.doc";
    {
        QFile f(QString::fromStdString(file.string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xD0\xCF\x11\xE0 binary");
    }
    QWidget window;
    // The preview's failure reaches the handler that printed; the PDF's is shown when it ends.
    EXPECT_THROW(layOutDocument(file, LayoutThen::ShowPreview, &window), DocumentError);
    EXPECT_EQ(openPreview(), nullptr);
    layOutDocument(file, LayoutThen::SavePdf, &window);
    // A message of the previous test's background PDF may arrive first: look for this one's.
    QTRY_VERIFY_WITH_TIMEOUT(Dialogs::shownMessages().join('\n').contains(QStringLiteral("broken.doc")), 30000);
}

} // namespace
} // namespace veltor
