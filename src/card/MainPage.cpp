#include "card/MainPage.h"

#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/Picture.h"
#include "app/QtText.h"
#include "card/CardWidgets.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Errors.h"
#include "text/OrfoUnit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TCardMainPage::TCardMainPage(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("OsnovnList");
    createControls();
    bindFields();
}

void TCardMainPage::bindFields()
{
    const LoadedTable &main = m_state.Osnova;
    bindToField(Edit22, main, schema::NOM);
    bindToField(Edit1, main, schema::FIO);
    bindToField(Edit16, main, schema::SOKR_FIO);
    bindToField(Edit17, main, schema::FIO_KOGO);
    bindToField(Edit3, main, schema::OKLAD, FieldInputKind::Digits);
    bindToField(Edit12, main, schema::INN);
    bindToField(Edit13, main, schema::STRAH_SVID);
    const LoadedTable &pass = m_state.Passport;
    bindToField(Edit5, pass, schema::PASSPORT);
    bindToField(Edit9, pass, schema::PASS_KEM);
    bindToField(Edit4, pass, schema::MESTO_ROZH);
    bindToField(Edit8, pass, schema::GRAZHD);
    bindToField(Edit6, pass, schema::ADRESS);
    bindToField(Edit7, pass, schema::TELEFON);
}

void TCardMainPage::createControls()
{
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);

    auto *top = new QHBoxLayout;
    page->addLayout(top);
    auto *form = new QGridLayout;
    form->setHorizontalSpacing(6);
    form->setVerticalSpacing(4);
    top->addLayout(form, 1);

    Edit22 = lineEdit(this, "Edit22");
    Edit22->setMaximumWidth(110);
    CheckBox1 = new QCheckBox(u("НЕ РАБОТАЕТ"), this);
    CheckBox1->setObjectName("CheckBox1");
    connect(CheckBox1, &QCheckBox::toggled, this, guarded(this, [this] { CheckBox1Click(); }));
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(Edit22);
    numberRow->addStretch(1);
    numberRow->addWidget(CheckBox1);
    form->addWidget(makeLabel(u("Таб №"), Edit22, this), 0, 0);
    form->addLayout(numberRow, 0, 1);

    Edit1 = lineEdit(this, "Edit1");
    QFont bold = Edit1->font();
    bold.setBold(true);
    Edit1->setFont(bold);
    Edit1->installEventFilter(this);
    connect(Edit1, &QLineEdit::textChanged, this, guarded(this, [this] { Edit1Change(); }));
    Button6 = new QToolButton(this);
    Button6->setObjectName("Button6");
    Button6->setToolTip(u("Фамилия и инициалы"));
    Button6->setAccessibleName(u("Фамилия и инициалы"));
    connect(Button6, &QToolButton::clicked, this, guarded(this, [this] { Button6Click(); }));
    setGlyph(false);
    auto *nameRow = new QHBoxLayout;
    nameRow->setSpacing(2);
    nameRow->addWidget(Edit1, 1);
    nameRow->addWidget(Button6);
    Label1 = makeLabel(u("Сотрудник"), Edit1, this, "Label1");
    Label1->setFont(bold);
    form->addWidget(Label1, 1, 0);
    form->addLayout(nameRow, 1, 1);

    // The position: a text with the "..." chooser, or in list mode a list lying over both.
    Edit2 = lineEdit(this, "Edit2");
    Edit2->setReadOnly(true);
    Button4 = new QPushButton(QStringLiteral("..."), this);
    Button4->setObjectName("Button4");
    Button4->setAccessibleName(u("..."));
    Button4->setAccessibleDescription(u("Выбрать должность из справочника"));
    Button4->setToolTip(u("Выбрать должность из справочника"));
    Button4->setFixedWidth(28);
    PositionEditor = new QWidget(this);
    PositionEditor->setObjectName("PositionEditor");
    auto *positionRow = new QHBoxLayout(PositionEditor);
    positionRow->setContentsMargins(0, 0, 0, 0);
    positionRow->setSpacing(2);
    positionRow->addWidget(Edit2, 1);
    positionRow->addWidget(Button4);
    ComboBox6 = new QComboBox(this);
    ComboBox6->setObjectName("ComboBox6");
    ComboBox6->setAccessibleName(u("Должность"));
    ComboBox6->hide();
    LabelPosition = makeLabel(u("Должность"), Edit2, this, "LabelPosition");
    form->addWidget(LabelPosition, 2, 0);
    form->addWidget(PositionEditor, 2, 1);
    form->addWidget(ComboBox6, 2, 1);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    form->addWidget(makeLabel(u("Отдел"), ComboBox1, this), 3, 0);
    form->addWidget(ComboBox1, 3, 1);

    Edit3 = lineEdit(this, "Edit3");
    Edit3->setMaximumWidth(140);
    form->addWidget(makeLabel(u("Оклад"), Edit3, this), 4, 0);
    form->addWidget(Edit3, 4, 1, Qt::AlignLeft);
    Edit12 = lineEdit(this, "Edit12");
    Edit12->setMaximumWidth(180);
    form->addWidget(makeLabel(u("ИНН"), Edit12, this), 5, 0);
    form->addWidget(Edit12, 5, 1, Qt::AlignLeft);
    Edit13 = lineEdit(this, "Edit13");
    Edit13->setMaximumWidth(180);
    form->addWidget(makeLabel(u("Страх. св-во"), Edit13, this), 6, 0);
    form->addWidget(Edit13, 6, 1, Qt::AlignLeft);

    RadioGroup1 = new TRadioGroup(u("Пол"), {u("Мужской"), u("Женский")}, 2, this);
    RadioGroup1->setObjectName("RadioGroup1");
    form->addWidget(RadioGroup1, 7, 0, 1, 2);
    form->setColumnStretch(1, 1);

    // The picture lies over the label that tells there is none; an empty picture lets it show.
    auto *photo = new QGridLayout;
    Label24 = new QLabel(u("Фото не загружено..."), this);
    Label24->setObjectName("Label24");
    Label24->setAlignment(Qt::AlignCenter);
    Label24->setWordWrap(true);
    Foto2 = new TPictureBox(this);
    Foto2->setObjectName("Foto2");
    Foto2->setToolTip(u("Вставить фотографию"));
    Foto2->setAccessibleName(u("Вставить фотографию"));
    Foto2->setFixedSize(150, 190);
    Label24->setFixedSize(150, 190);
    connect(Foto2, &QAbstractButton::clicked, this, guarded(this, [this] { Foto2Click(); }));
    photo->addWidget(Label24, 0, 0);
    photo->addWidget(Foto2, 0, 0);
    top->addLayout(photo);

    GroupBox1 = new QGroupBox(u("Паспортные данные"), this);
    GroupBox1->setObjectName("GroupBox1");
    auto *pass = new QGridLayout(GroupBox1);
    pass->setVerticalSpacing(4);
    Edit5 = lineEdit(GroupBox1, "Edit5");
    EditData1 = createDatePicker(GroupBox1, "EditData1", EmptyDateShown::AsEmpty);
    pass->addWidget(makeLabel(u("Паспорт   №"), Edit5, GroupBox1), 0, 0);
    pass->addWidget(Edit5, 0, 1);
    pass->addWidget(makeLabel(u("выдан"), EditData1, GroupBox1), 0, 2, Qt::AlignRight);
    pass->addWidget(EditData1, 0, 3);
    Edit9 = lineEdit(GroupBox1, "Edit9");
    pass->addWidget(makeLabel(u("кем выдан"), Edit9, GroupBox1), 1, 0);
    pass->addWidget(Edit9, 1, 1, 1, 3);
    EditData2 = createDatePicker(GroupBox1, "EditData2", EmptyDateShown::AsEmpty);
    EditData2->setAccessibleDescription(u("Дата рождения"));
    Edit4 = lineEdit(GroupBox1, "Edit4");
    Edit4->setAccessibleDescription(u("Место рождения"));
    auto *birthRow = new QHBoxLayout;
    birthRow->addWidget(EditData2);
    birthRow->addWidget(makeLabel(u("и место рождения:"), Edit4, GroupBox1));
    birthRow->addWidget(Edit4, 1);
    pass->addWidget(makeLabel(u("Дата "), EditData2, GroupBox1), 2, 0);
    pass->addLayout(birthRow, 2, 1, 1, 3);
    Edit8 = lineEdit(GroupBox1, "Edit8");
    pass->addWidget(makeLabel(u("Гражданство"), Edit8, GroupBox1), 3, 0);
    pass->addWidget(Edit8, 3, 1);
    CheckBox2 = new QCheckBox(u("Виза (Дата окончания действия)"), GroupBox1);
    CheckBox2->setObjectName("CheckBox2");
    EditData8 = createDatePicker(GroupBox1, "EditData8");
    EditData8->setAccessibleName(u("Виза (Дата окончания действия)"));
    EditData8->hide();
    connect(CheckBox2, &QCheckBox::toggled, this, guarded(this, [this] { CheckBox2Click(); }));
    auto *visaRow = new QHBoxLayout;
    visaRow->addWidget(CheckBox2);
    visaRow->addWidget(EditData8);
    visaRow->addStretch(1);
    pass->addLayout(visaRow, 3, 2, 1, 2);
    Edit6 = lineEdit(GroupBox1, "Edit6");
    pass->addWidget(makeLabel(u("Адрес прописки"), Edit6, GroupBox1), 4, 0);
    pass->addWidget(Edit6, 4, 1, 1, 3);
    Edit7 = lineEdit(GroupBox1, "Edit7");
    pass->addWidget(makeLabel(u("Телефон"), Edit7, GroupBox1), 5, 0);
    pass->addWidget(Edit7, 5, 1);
    pass->setColumnStretch(1, 1);
    pass->setColumnStretch(3, 1);
    page->addWidget(GroupBox1);
    page->addStretch(1);

    // The name forms open over the page below the name.
    GroupBox3 = new QGroupBox(u("Фамилия и инциалы:"), this);
    GroupBox3->setObjectName("GroupBox3");
    GroupBox3->setAutoFillBackground(true);
    auto *names = new QVBoxLayout(GroupBox3);
    Edit16 = lineEdit(GroupBox3, "Edit16");
    Edit17 = lineEdit(GroupBox3, "Edit17");
    auto *nominative = makeLabel(u("Именительный падеж (Кто?) (для подписи, т.е. инициалы впереди)"),
                                 Edit16, GroupBox3);
    auto *genitive = makeLabel(u("Родительный падеж (Кого?) (для заголовка, т.е. инициалы в конце)"),
                               Edit17, GroupBox3);
    names->addWidget(nominative);
    names->addWidget(Edit16);
    names->addWidget(genitive);
    names->addWidget(Edit17);
    GroupBox3->hide();
    keepPlaced(GroupBox3, [this] {
        // Over the fields below the name, leaving the photo beside them in view.
        const int top = Edit1->mapTo(this, QPoint(0, Edit1->height())).y() + 4;
        const int right = Foto2->mapTo(this, QPoint(0, 0)).x() - 8;
        return QRect(8, top, std::max(200, right - 8), GroupBox3->sizeHint().height());
    });
}

void TCardMainPage::setGlyph(bool atTop)
{
    m_glyphAtTop = atTop;
    Button6->setArrowType(atTop ? Qt::UpArrow : Qt::DownArrow);
}

bool TCardMainPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit1 && event->type() == QEvent::MouseButtonRelease)
        runGuarded(this, [this] { Edit1Click(); });
    return QWidget::eventFilter(watched, event);
}

void TCardMainPage::fill(const CardValues &v)
{
    Edit22->setText(toQ(v.nom));
    Edit1->setText(toQ(v.fio));
    // The stored name forms are set after the name, so they are what the card shows.
    Edit16->setText(toQ(v.sokrFio));
    Edit17->setText(toQ(v.fioKogo));

    const bool list = m_state.PositionListMode == 1;
    ComboBox6->setVisible(list);
    PositionEditor->setVisible(!list);
    labelControl(LabelPosition, list ? static_cast<QWidget *>(ComboBox6) : Edit2);
    if (list) {
        fillReferenceList(*ComboBox6, m_state.Dolzh, "DOLZH");
        ComboBox6->setCurrentIndex(v.positionItem);
        ComboBox6->setPlaceholderText(v.positionItem < 0 && !v.positionNumber.empty() ? toQ(v.positionText)
                                                                                        : QString());
    } else {
        Edit2->setText(toQ(v.positionText));
    }

    Edit3->setText(toQ(v.oklad));
    Edit12->setText(toQ(v.inn));
    Edit13->setText(toQ(v.strahSvid));
    CheckBox1->setChecked(v.dismissed);
    CheckBox1Click();

    fillReferenceList(*ComboBox1, m_state.Otdel, "OTDEL");
    ComboBox1->setCurrentIndex(v.departmentItem);
    ComboBox1->setPlaceholderText(v.departmentItem < 0 ? toQ(v.departmentText) : QString());

    RadioGroup1->setItemIndex(v.female ? 1 : 0);

    Edit5->setText(toQ(v.passport));
    setPickerDate(*EditData1, v.passDate);
    Edit9->setText(toQ(v.passIssuer));
    setPickerDate(*EditData2, v.birthDate);
    Edit4->setText(toQ(v.birthPlace));
    Edit8->setText(toQ(v.citizenship));
    setPickerDate(*EditData8, v.visaDate);
    CheckBox2->setChecked(v.hasVisa);
    CheckBox2Click();
    Edit6->setText(toQ(v.address));
    Edit7->setText(toQ(v.phone));
    PhotoPath = v.photoPath;
}

void TCardMainPage::fillReferenceList(QComboBox &list, const LoadedTable &table, std::string_view nameField)
{
    // Each item carries its entry's number: that is what the card stores.
    list.clear();
    const std::vector<std::string> names = referenceNames(table, nameField);
    const std::vector<std::string> numbers = referenceNames(table, schema::NOM);
    for (size_t i = 0; i < names.size(); ++i)
        list.addItem(toQ(names[i]), toQ(i < numbers.size() ? numbers[i] : std::string()));
}

void TCardMainPage::clear()
{
    CardValues blank;
    blank.positionText.clear();
    fill(blank);
    ComboBox1->setCurrentIndex(-1);
    RadioGroup1->setItemIndex(-1);
    Foto2->clearPicture();
}

void TCardMainPage::read(CardValues &v) const
{
    v.nom = fromQ(Edit22->text());
    v.fio = fromQ(Edit1->text());
    v.sokrFio = fromQ(Edit16->text());
    v.fioKogo = fromQ(Edit17->text());
    // The list stands in for the text only when positions are chosen from it.
    if (m_state.PositionListMode == 1) {
        v.positionItem = ComboBox6->currentIndex();
        if (v.positionItem >= 0)
            v.positionNumber = fromQ(ComboBox6->currentData().toString());
    } else {
        v.positionText = fromQ(Edit2->text());
    }
    v.departmentItem = ComboBox1->currentIndex();
    if (v.departmentItem >= 0)
        v.departmentNumber = fromQ(ComboBox1->currentData().toString());
    v.oklad = fromQ(Edit3->text());
    v.inn = fromQ(Edit12->text());
    v.strahSvid = fromQ(Edit13->text());
    v.dismissed = CheckBox1->isChecked();
    v.female = RadioGroup1->ItemIndex() != 0;
    v.passport = fromQ(Edit5->text());
    v.passDate = pickerDate(*EditData1);
    v.passIssuer = fromQ(Edit9->text());
    v.birthDate = pickerDate(*EditData2);
    v.birthPlace = fromQ(Edit4->text());
    v.citizenship = fromQ(Edit8->text());
    v.hasVisa = CheckBox2->isChecked();
    v.visaDate = pickerDate(*EditData8);
    v.address = fromQ(Edit6->text());
    v.phone = fromQ(Edit7->text());
    v.photoPath = PhotoPath;
}

bool TCardMainPage::positionListShown() const { return !ComboBox6->isHidden(); }

void TCardMainPage::showPhoto()
{
    if (PhotoPath.empty()) {
        try {
            Foto2->setPicture(loadPicture(m_state.programFile("nonFoto.bmp")));
        } catch (const std::exception &) {
            // Without the "no photo" picture the label beneath tells the same.
            Foto2->clearPicture();
        }
        return;
    }
    Foto2->clearPicture();
    Foto2->setPicture(loadPicture(pathFromCp1251(PhotoPath)));
}

void TCardMainPage::hideNameForms()
{
    GroupBox3->hide();
    setGlyph(false);
}

void TCardMainPage::CheckBox1Click()
{
    QPalette palette = CheckBox1->palette();
    palette.setColor(QPalette::WindowText,
                     CheckBox1->isChecked() ? QColor(255, 0, 0) : this->palette().color(QPalette::WindowText));
    CheckBox1->setPalette(palette);
}

void TCardMainPage::CheckBox2Click() { EditData8->setVisible(CheckBox2->isChecked()); }

void TCardMainPage::Button6Click()
{
    GroupBox3->setVisible(GroupBox3->isHidden());
    setGlyph(!m_glyphAtTop);
}

void TCardMainPage::Edit1Click() { Button6Click(); }

void TCardMainPage::Edit1Change()
{
    const std::string name = fromQ(Edit1->text());
    Edit16->setText(toQ(InitialsFirst(name)));
    Edit17->setText(toQ(InitialsLast(name)));
}

void TCardMainPage::Foto2Click()
{
    // From the folder of the photo shown now, else from the database's.
    const QString chosen = Dialogs::openPicture(
        this, pathToQString(PhotoPath.empty() ? m_state.databaseFolder() : pathFromCp1251(PhotoPath)));
    if (chosen.isEmpty())
        return;
    const QString full = QFileInfo(chosen).absoluteFilePath();
    // The path is stored in CP1251; one that cannot be written there would name no file.
    const std::string stored = fromQ(full);
    if (toQ(stored) != full)
        throw FileError("Путь к файлу \"" + full.toStdString() +
                        "\" содержит знаки, которые нельзя сохранить в базе; переименуйте файл или папку");
    // A cut path would name no file, or another one: refuse it whole.
    const int foto = FieldIndex(m_state.Osnova.Header, schema::FOTO);
    const size_t room = foto > 0 ? static_cast<size_t>(m_state.Osnova.Header.FieldLengths[foto]) : 0;
    if (stored.size() > room)
        throw FileError("Путь к файлу \"" + full.toStdString() + "\" длиннее " + std::to_string(room)
                        + " знаков, которые помещаются в базе; перенесите фотографию в папку с более "
                          "коротким путем");
    QImage image = loadPicture(pathFromQString(full));
    Foto2->setPicture(std::move(image));
    PhotoPath = stored;
}

} // namespace veltor
