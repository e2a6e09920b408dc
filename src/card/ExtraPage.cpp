#include "card/ExtraPage.h"

#include "app/FieldInput.h"
#include "app/Guard.h"
#include "storage/Schema.h"
#include "app/QtText.h"
#include "card/CardWidgets.h"
#include "card/EducationEditor.h"
#include "card/FamilyEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox *freeTextList(QWidget *parent, const char *name, const QStringList &items)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

} // namespace

TCardExtraPage::TCardExtraPage(AppState &state, QWidget *parent) : QWidget(parent)
{
    setObjectName("DopList");
    createControls(state);
}

void TCardExtraPage::createControls(AppState &state)
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(8, 6, 8, 6);
    page->setSpacing(4);

    Family = new TFamilyEditor(state, this);
    page->addWidget(Family);
    PanelObraz = new TEducationEditor(state, this);
    // The family editor hides the panel; the lines below keep their place meanwhile.
    QSizePolicy keepPanel = PanelObraz->sizePolicy();
    keepPanel.setRetainSizeWhenHidden(true);
    PanelObraz->setSizePolicy(keepPanel);
    page->addWidget(PanelObraz);
    Family->setEducationPanel(PanelObraz);

    Label36 = new QLabel(u("Иностранный язык и уровень владения:"), this);
    Label36->setObjectName("Label36");
    Edit25 = lineEdit(this, "Edit25");
    Edit26 = lineEdit(this, "Edit26");
    Label36->setBuddy(Edit25);
    Edit25->setAccessibleName(u("Иностранный язык"));
    Edit26->setAccessibleName(u("Уровень владения"));
    Edit25->setPlaceholderText(u("язык"));
    Edit26->setPlaceholderText(u("уровень владения"));
    auto *language = new QHBoxLayout;
    language->addWidget(Label36);
    language->addWidget(Edit25, 1);
    language->addWidget(Edit26, 1);
    page->addLayout(language);

    CheckBox3 = new QCheckBox(u("Находится на воинском учете"), this);
    CheckBox3->setObjectName("CheckBox3");
    connect(CheckBox3, &QCheckBox::toggled, this, guarded(this, [this] { CheckBox3Click(); }));
    page->addWidget(CheckBox3);

    GroupBox6 = new QGroupBox(this);
    GroupBox6->setObjectName("GroupBox6");
    auto *military = new QGridLayout(GroupBox6);
    military->setVerticalSpacing(3);
    Edit27 = lineEdit(GroupBox6, "Edit27");
    ComboBox4 = freeTextList(GroupBox6, "ComboBox4",
                             {u("рядовой"), u("ефрейтор"), u("мл.сержант"), u("сержант"), u("ст.сержант"),
                              u("старшина"), u("прапорщик"), u("ст.прапорщик"), u("мл.лейтенант"),
                              u("лейтенант"), u("ст.лейтенант"), u("капитан"), u("майор"),
                              u("подполковник"), u("полковник"), u("генерал-майор"),
                              u("генерал-лейтенант"), u("генерал-полковник"), u("генерал армии"),
                              u("маршал")});
    ComboBox5 = freeTextList(GroupBox6, "ComboBox5",
                             {u("рядовые"), u("сержанты"), u("прапорщики"), u("офицеры"), u("генералы")});
    Edit30 = lineEdit(GroupBox6, "Edit30");
    Edit31 = lineEdit(GroupBox6, "Edit31");
    Edit32 = lineEdit(GroupBox6, "Edit32");
    military->addWidget(makeLabel(u("Категория запаса"), Edit27, GroupBox6), 0, 0);
    military->addWidget(Edit27, 0, 1);
    military->addWidget(makeLabel(u("Воинское звание"), ComboBox4, GroupBox6), 0, 2);
    military->addWidget(ComboBox4, 0, 3);
    military->addWidget(makeLabel(u("Состав (профиль)"), ComboBox5, GroupBox6), 1, 0);
    military->addWidget(ComboBox5, 1, 1);
    military->addWidget(makeLabel(u("ВУС (код)"), Edit30, GroupBox6), 1, 2);
    military->addWidget(Edit30, 1, 3);
    military->addWidget(makeLabel(u("Категор. годности"), Edit31, GroupBox6), 2, 0);
    military->addWidget(Edit31, 2, 1);
    military->addWidget(makeLabel(u("Военкомат"), Edit32, GroupBox6), 2, 2);
    military->addWidget(Edit32, 2, 3);
    military->setColumnStretch(1, 1);
    military->setColumnStretch(3, 1);
    GroupBox6->hide();
    // The page keeps its height whether the group is shown or not.
    QSizePolicy keep = GroupBox6->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    GroupBox6->setSizePolicy(keep);
    page->addWidget(GroupBox6);
    page->addStretch(1);

    bindToField(Edit25, state.Osnova, schema::IN_JAZ);
    bindToField(Edit26, state.Osnova, schema::UROVEN);
    bindToField(Edit27, state.Voen, schema::KATEGOR);
    bindToField(ComboBox4, state.Voen, schema::ZVANIE);
    bindToField(ComboBox5, state.Voen, schema::SOSTAV);
    bindToField(Edit30, state.Voen, schema::VUS);
    bindToField(Edit31, state.Voen, schema::GODN);
    bindToField(Edit32, state.Voen, schema::VOENKOM);
}

void TCardExtraPage::fill(const CardValues &v)
{
    PanelObraz->RadioGroup3->setItemIndex(v.education);
    Edit25->setText(toQ(v.language));
    Edit26->setText(toQ(v.languageLevel));
    Edit27->setText(toQ(v.militaryFields[0]));
    ComboBox4->setCurrentText(toQ(v.militaryFields[1]));
    ComboBox5->setCurrentText(toQ(v.militaryFields[2]));
    Edit30->setText(toQ(v.militaryFields[3]));
    Edit31->setText(toQ(v.militaryFields[4]));
    Edit32->setText(toQ(v.militaryFields[5]));
    CheckBox3->setChecked(v.military);
    CheckBox3Click();
}

void TCardExtraPage::read(CardValues &v) const
{
    v.education = PanelObraz->RadioGroup3->ItemIndex();
    v.language = fromQ(Edit25->text());
    v.languageLevel = fromQ(Edit26->text());
    v.military = CheckBox3->isChecked();
    v.militaryFields = {fromQ(Edit27->text()),       fromQ(ComboBox4->currentText()),
                        fromQ(ComboBox5->currentText()), fromQ(Edit30->text()),
                        fromQ(Edit31->text()),       fromQ(Edit32->text())};
}

void TCardExtraPage::CheckBox3Click() { GroupBox6->setVisible(CheckBox3->isChecked()); }

} // namespace veltor
