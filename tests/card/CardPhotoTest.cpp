// Employee photos on the card and in the list's preview panel: files under folders and names in
// Russian, and paths too long for the table.
#include "CardFixture.h"

#include "app/Picture.h"
#include "app/StringGrid.h"
#include "card/CardWidgets.h"
#include "card/MainPage.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>

namespace veltor::test {
namespace {

class CardPhoto : public CardFixture {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        addEmployee(1, "Иванов Иван Иванович");
        addEmployee(2, "Петров Петр Петрович");
    }

    // A small picture saved in the format its suffix names; the path as the native path.
    std::filesystem::path picture(const std::filesystem::path &relative)
    {
        const std::filesystem::path path = root / relative;
        std::filesystem::create_directories(path.parent_path());
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        EXPECT_TRUE(image.save(pathToQString(path)));
        return path;
    }

    void setStoredPhoto(int record, const std::filesystem::path &path)
    {
        LoadedTable t = disk(schema::OsnovaTable);
        SetField(t.Header, record, FieldIndex(t.Header, "FOTO"), t.Data, pathToCp1251(path));
        WriteTable(file(schema::OsnovaTable), t);
    }
};

TEST_F(CardPhoto, PhotoPickerOpensInThePhotosFolderElseTheDatabases)
{
    setStoredPhoto(2, picture(std::filesystem::path(u8"Фото отдела") / u8"Петров.bmp"));
    start();
    for (int code : {1, 2}) {
        open(code);
        card->OsnovnList->Foto2Click();
        card->close();
    }
    EXPECT_EQ(Dialogs::startFolders(),
              QStringList({pathToQString(database), pathToQString(root / u8"Фото отдела")}));
}

// A JPEG (libjpeg) and a bitmap (QImage) under Russian names used to fail on every showing with
// an English "filesystem error".
TEST_F(CardPhoto, RussianFolderAndFileNamesAreShown)
{
    const auto jpeg = picture(std::filesystem::path(u8"Изображения") / u8"Иванов.jpg");
    const auto bitmap = picture(std::filesystem::path(u8"Фото отдела") / u8"Петров.bmp");
    setStoredPhoto(1, jpeg);
    setStoredPhoto(2, bitmap);
    start();
    for (int row = 1; row <= 2; ++row)
        form->StringGrid1SelectCell(1, row);
    EXPECT_FALSE(form->Foto1->pixmap().isNull());
    for (int code : {1, 2}) {
        open(code);
        EXPECT_TRUE(card->OsnovnList->Foto2->hasPicture()) << code;
        card->close();
    }
    EXPECT_EQ(messages(), QStringList());
}

TEST_F(CardPhoto, ChosenPhotoUnderRussianNamesIsStoredInTheTable)
{
    const auto jpeg = picture(std::filesystem::path(u8"Изображения") / u8"Сотрудники" / u8"Петров П.П.jpg");
    start();
    open(2);
    Dialogs::queuePath(pathToQString(jpeg));
    card->OsnovnList->Foto2->click();
    EXPECT_EQ(messages(), QStringList());
    EXPECT_TRUE(card->OsnovnList->Foto2->hasPicture());
    save();
    EXPECT_EQ(rawField(disk(schema::OsnovaTable), 2, "FOTO").substr(0, pathToCp1251(jpeg).size()),
              pathToCp1251(jpeg));
}

// FOTO holds 254 bytes: a longer path used to be cut and then named no file.
TEST_F(CardPhoto, PathLongerThanTheTableHoldsIsRefused)
{
    const auto kept = picture(u8"фото.bmp");
    setStoredPhoto(2, kept);
    std::filesystem::path deep;
    for (int i = 0; i < 3; ++i)
        deep /= std::string(90, 'a') + std::to_string(i);
    const auto tooLong = picture(deep / u8"фото.bmp");
    ASSERT_GT(pathToCp1251(tooLong).size(), 254u);
    start();
    open(2);
    Dialogs::queuePath(pathToQString(tooLong));
    card->OsnovnList->Foto2->click();
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains(QString::fromUtf8("254"))) << messages()[0].toStdString();
    save();
    EXPECT_EQ(field(disk(schema::OsnovaTable), 2, "FOTO"), pathToUtf8(kept));
}

} // namespace
} // namespace veltor::test

namespace veltor::test {
namespace {

// A damaged photo of a few kilobytes whose header claims 19999 x 19999 pixels made the decoder
// take 1.2 GB for the card's small frame; it is now decoded at an eighth of that size.
TEST(Photo, HeaderClaimingAHugeSizeIsDecodedScaledDown)
{
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(small.save(&buffer, "JPG"));
    qsizetype frame = 2; // past the start-of-image marker, from segment to segment
    while (frame + 4 < bytes.size() && uchar(bytes[frame + 1]) != 0xC0)
        frame += 2 + (uchar(bytes[frame + 2]) << 8 | uchar(bytes[frame + 3]));
    ASSERT_LT(frame + 9, bytes.size());
    for (qsizetype at : {frame + 5, frame + 7}) { // height, then width, big-endian
        bytes[at] = char(19999 >> 8);
        bytes[at + 1] = char(19999 & 0xFF);
    }
    const QImage image = decodeJpeg(reinterpret_cast<const unsigned char *>(bytes.constData()),
                                    size_t(bytes.size()), "huge.jpg");
    EXPECT_EQ(image.width(), 2500); // an eighth
    EXPECT_EQ(image.height(), 2500);
}

} // namespace
} // namespace veltor::test
