#include "CardFixture.h"

#include "app/FieldInput.h"
#include "app/StringGrid.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/HrPage.h"
#include "card/MainPage.h"
#include "card/ParamsPage.h"

#include <QAbstractItemDelegate>
#include <QCheckBox>

#include <QInputMethodEvent>
#include <QStatusBar>

namespace veltor::test {
namespace {

// Types the text one character at a time as an input method commits it: keyboard layouts for
// Cyrillic, Chinese or emoji reach the edit this way.
void typeInto(QLineEdit *edit, const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        QInputMethodEvent event;
        event.setCommitString(QString::fromUcs4(&c, 1));
        QApplication::sendEvent(edit, &event);
    }
}

// What the clerk types is what is stored: each edit takes only what its field can hold, and a
// refused character leaves a note in the card's status bar. These used to be cut or turned into
// "?" on the save without a word.
struct TypedCase {
    const char *control; // object name
    std::string_view table;
    const char *field;
    const char *typed;  // UTF-8
    const char *shown;  // what the edit holds afterwards, and what is stored (trimmed)
    const char *note;   // part of the status-bar note; empty when nothing was refused
};

void PrintTo(const TypedCase &c, std::ostream *out) { *out << c.control << " \"" << c.typed << "\""; }

class CardInput : public CardFixture, public ::testing::WithParamInterface<TypedCase> {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        addEmployee(1, "Петров");
        addHistory(1, 1);
    }
};

TEST_P(CardInput, TypedTextIsWhatIsStored)
{
    const TypedCase c = GetParam();
    start();
    open(1);
    auto *edit = card->findChild<QLineEdit *>(QString::fromLatin1(c.control));
    ASSERT_NE(edit, nullptr);
    edit->clear();
    card->StatusBar->clearMessage();
    typeInto(edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown));
    if (*c.note)
        EXPECT_TRUE(card->StatusBar->currentMessage().contains(QString::fromUtf8(c.note)))
            << card->StatusBar->currentMessage().toStdString();
    else
        EXPECT_EQ(card->StatusBar->currentMessage(), QString());

    // The save's own checks (an ИНН without its check digits) ask before storing.
    Dialogs::queueAnswer(true);
    save();
    ASSERT_TRUE(card->isHidden()) << messages().join('\n').toStdString();
    const LoadedTable t = disk(c.table);
    const int record = c.table == schema::TrudTable ? t.Header.RecordCount : 1;
    EXPECT_EQ(field(t, record, c.field), QString::fromUtf8(c.shown).trimmed().toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CardInput,
    ::testing::Values(
        // Digits only; the width (12) comes from the header.
        TypedCase{"Edit3", schema::OsnovaTable, "OKLAD", "1 234 567 890,50", "123456789050", "только цифры"},
        TypedCase{"Edit3", schema::OsnovaTable, "OKLAD", "сорок тысяч", "", "только цифры"},
        TypedCase{"Edit12", schema::OsnovaTable, "INN", "1234567890123", "123456789012", "не больше 12"},
        TypedCase{"Edit1", schema::OsnovaTable, "FIO", "Łukasz Őrsi 😀 李小龍", "ukasz rsi  ", "CP1251"},
        TypedCase{"Edit1", schema::OsnovaTable, "FIO", "Ёлкина Анна-Мария «Ж»", "Ёлкина Анна-Мария «Ж»", ""},
        TypedCase{"Edit7", schema::PassportTable, "TELEFON", "+7 (900) 123-45-67 доб. 1234567890",
                  "+7 (900) 123-45-67 доб. 123456", "не больше 30"},
        TypedCase{"Edit18", schema::TrudTable, "NOM_DOG", "12-к/2024 доп. соглашение", "12-к/2024 доп. согла", "не больше 20"},
        // Seniority is stored as typed: any text that fits.
        TypedCase{"Edit33", schema::OsnovaTable, "ST_OB_LET", "5 л", "5 л", ""},
        TypedCase{"Edit33", schema::OsnovaTable, "ST_OB_LET", "пять", "пят", "не больше 3"}),
    [](const auto &info) { return std::string(info.param.control) + "_" + std::to_string(info.index); });

// The family and education editors and the additional parameters take what semja.dbf,
// obraz.dbf and Dopoln.dbf hold, by the widths in those tables' headers. They used to take any
// text, cut or turned into "?" on the save.
struct EditorCase {
    enum Editor { Family, Education, Params } editor;
    const char *control; // object name; the value cell for the parameters
    std::string_view table;
    const char *field;
    const char *typed;
    const char *shown;
    const char *note;
};

void PrintTo(const EditorCase &c, std::ostream *out) { *out << c.control << " \"" << c.typed << "\""; }

class CardEditorInput : public CardFixture, public ::testing::WithParamInterface<EditorCase> {
protected:
    void SetUp() override
    {
        CardFixture::SetUp();
        addEmployee(1, "Петров");
        addHistory(1, 1);
        addDopolnParameter("Размер обуви");
    }
};

TEST_P(CardEditorInput, TypedTextIsWhatIsStored)
{
    const EditorCase c = GetParam();
    start();
    open(1);
    TFamilyEditor &family = *card->DopList->Family;
    TEducationEditor &education = *card->DopList->PanelObraz;
    TStringGrid &params = *card->Dopolnitelno->StringGrid4;
    QLineEdit *edit = nullptr;
    if (c.editor == EditorCase::Family) {
        family.Button7Click();
        family.CheckBox4->setChecked(std::string_view(c.control) != "Edit28");
        edit = card->findChild<QLineEdit *>(QString::fromLatin1(c.control));
    } else if (c.editor == EditorCase::Education) {
        education.Button14Click();
        edit = card->findChild<QLineEdit *>(QString::fromLatin1(c.control));
    } else {
        card->PageControl1->setCurrentWidget(card->Dopolnitelno);
        const QModelIndex cell = params.model()->index(0, 1);
        params.setCurrentIndex(cell);
        params.edit(cell);
        edit = qobject_cast<QLineEdit *>(params.indexWidget(cell));
    }
    ASSERT_NE(edit, nullptr);
    card->StatusBar->clearMessage();
    typeInto(edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown));
    EXPECT_TRUE(card->StatusBar->currentMessage().contains(QString::fromUtf8(c.note)))
        << card->StatusBar->currentMessage().toStdString();

    if (c.editor == EditorCase::Family) {
        family.Button10Click();
    } else if (c.editor == EditorCase::Education) {
        education.Button17Click();
    } else {
        emit params.itemDelegate()->commitData(edit);
        emit params.itemDelegate()->closeEditor(edit);
    }
    save();
    ASSERT_TRUE(card->isHidden()) << messages().join('\n').toStdString();
    const LoadedTable t = disk(c.table);
    ASSERT_EQ(t.Header.RecordCount, 1);
    std::string stored = field(t, 1, c.field);
    EXPECT_EQ(stored, QString::fromUtf8(c.shown).trimmed().toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Editors, CardEditorInput,
    ::testing::Values(
        EditorCase{EditorCase::Family, "LabeledEdit1", schema::SemjaTable, "S_FIO", "Łukasz Őrsi 😀", "ukasz rsi ", "CP1251"},
        EditorCase{EditorCase::Family, "Edit21", schema::SemjaTable, "S_TIP_N",
                   "двоюродная сестра по линии матери", "двоюродная сестра по линии мат", "не больше 30"},
        EditorCase{EditorCase::Family, "Edit28", schema::SemjaTable, "S_ROZHD", "19г85", "1985", "только цифры"},
        EditorCase{EditorCase::Education, "Edit24", schema::ObrazTable, "GOD_OKON", "2001 г.", "2001", "не больше 4"},
        EditorCase{EditorCase::Education, "Edit20", schema::ObrazTable, "DOK_SER", "ВСА № 0123456", "ВСА № 0123", "не больше 10"},
        EditorCase{EditorCase::Params, "DOPOLN1", schema::DopolnTable, "DOPOLN1", "42 😀 (EU), ширина стопы нормальная, каблук не выше 5 см",
                   "42  (EU), ширина стопы нормальная, каблук не выше ", "не больше 50"}),
    [](const auto &info) { return std::string(info.param.control) + "_" + std::to_string(info.index); });

// Tables from other software may hold numbers as N fields: those take numbers only, with the
// decimal point where the field has decimals (a typed comma becomes the point).
TEST(FieldInput, NumericFieldsTakeNumbersByTheirHeader)
{
    LoadedTable t;
    t.Loaded = true;
    AddField(t.Header, t.Data, "SUMMA", 9, 'R'); // N(9, 2) once written
    AddField(t.Header, t.Data, "DNI", 3, 'N');
    AddField(t.Header, t.Data, "PRIM", 6, 'C');
    struct Case {
        const char *field;
        FieldInputKind bound;
        const char *typed;
        const char *shown;
    };
    const Case cases[] = {
        {"SUMMA", FieldInputKind::Digits, "25000,5.0", "25000.50"},
        {"SUMMA", FieldInputKind::Text, "1 234,5", "1234.5"},
        {"DNI", FieldInputKind::Text, "14 дн.", "14"},
        {"PRIM", FieldInputKind::Text, "14 дн.", "14 дн."},
    };
    for (const Case &c : cases) {
        QLineEdit edit;
        bindToField(&edit, t, c.field, c.bound);
        typeInto(&edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit.text(), QString::fromUtf8(c.shown)) << c.field << " " << c.typed;
    }
}

// A combo box that also takes free text is bound as well.
TEST_F(CardInput, MilitaryRankTextIsLimitedToItsField)
{
    start();
    open(1);
    card->DopList->CheckBox3->setChecked(true);
    QComboBox *rank = card->DopList->ComboBox4;
    rank->setEditText(QString());
    typeInto(rank->lineEdit(), QString::fromUtf8("старший лейтенант 😀 запаса, очень длинное звание, длиннее поля"));
    const int width = state->Voen.Header.FieldLengths[FieldIndex(state->Voen.Header, "ZVANIE")];
    EXPECT_EQ(rank->currentText(), QString::fromUtf8("старший лейтенант  запаса, очень длинное звание, длиннее поля").left(width));
}

} // namespace
} // namespace veltor::test

namespace veltor::test {
namespace {

// A typed date is taken as typed or refused with a note, never corrected; a date that may be
// empty can be cleared and then shows empty (stored as 01.01.1900, as before). 31.02.2026 used
// to become 28.02.2026 and "01.01.85" a date of this year without a word.
struct TypedDate {
    const char *typed;
    const char *stored; // D_DOG after the save
    bool refused;
};

void PrintTo(const TypedDate &c, std::ostream *out) { *out << '"' << c.typed << '"'; }

class CardDate : public CardFixture, public ::testing::WithParamInterface<TypedDate> {};

TEST_P(CardDate, IsTakenAsTypedOrRefused)
{
    const TypedDate c = GetParam();
    addEmployee(1, "Петров");
    addHistory(1, 1, {{"D_DOG", "01.02.2020"}});
    start();
    open(1);
    QDateEdit *picker = card->KadrList->EditData4;
    auto *text = picker->findChild<QLineEdit *>();
    ASSERT_NE(text, nullptr);
    text->setText(QString::fromUtf8(c.typed));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(picker, &out);
    if (c.refused)
        EXPECT_EQ(text->text(), "01.02.2020");
    save();
    ASSERT_TRUE(card->isHidden());
    const LoadedTable trud = disk(schema::TrudTable);
    EXPECT_EQ(field(trud, trud.Header.RecordCount, "D_DOG"), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Typed, CardDate,
                         ::testing::Values(TypedDate{"31.02.2026", "01.02.2020", true},
                                           TypedDate{"29.02.2023", "01.02.2020", true},
                                           TypedDate{"01.01.85", "01.02.2020", true},
                                           TypedDate{"00.00.0000", "01.02.2020", true},
                                           TypedDate{"29.02.2024", "29.02.2024", false},
                                           TypedDate{"5.3.2024", "05.03.2024", false},
                                           TypedDate{"", "01.01.1900", false}));

// An empty date shows as an empty field, not as 01.01.1900.
TEST_F(CardFixture, EmptyStoredDateShowsEmpty)
{
    addEmployee(1, "Петров");
    add(schema::TrudTable, {{"KOD", "1"}, {"N_IZM", "1"}});
    start();
    open(1);
    for (QDateEdit *picker : {card->KadrList->EditData3, card->KadrList->EditData4, card->KadrList->EditData5,
                              card->OsnovnList->EditData1, card->OsnovnList->EditData2}) {
        EXPECT_EQ(picker->text().trimmed(), QString()) << picker->objectName().toStdString();
        EXPECT_EQ(pickerDate(*picker), EmptyDate);
    }
}

} // namespace
} // namespace veltor::test
