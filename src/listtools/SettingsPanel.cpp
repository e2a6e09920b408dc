#include "listtools/SettingsPanel.h"

#include "listtools/DatabasePage.h"
#include "listtools/PanelButtons.h"

#include "app/Dialogs.h"
#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/QtText.h"
#include "records/Startup.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "card/CardWidgets.h"
#include "documents/TemplatePrinting.h"
#include "listtools/PanelKeys.h"
#include "listtools/RefLists.h"
#include "listtools/SettingsLogic.h"
#include "listtools/Unit3.h"
#include "printing/AfterFilling.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QDir>
#include <QGridLayout>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

TStringGrid *grid(QWidget *parent, const char *name, const char *accessible)
{
    auto *g = new TStringGrid(parent);
    g->setObjectName(name);
    g->setAccessibleName(u(accessible));
    g->setMinimumSize(560, 260);
    return g;
}

// Reloads a configuration table into its grid; every edit goes straight into the table.
void loadTable(TStringGrid &g, LoadedTable &table)
{
    TableToGrid(table.Header, table.Data, g);
    g.onCellEdited([&g, &table](int col, int row) {
        if (row >= 1 && row <= table.Header.RecordCount)
            SetField(table, row, col, g.Cell(col, row));
    });
}

// What a list column shows, for the clerk who reads "табельный номер" where the table says
// NOM: the field of the numbered table (the column's "Номер базы") in words, and the table.
struct FieldMeaning {
    const char *field;
    const char *meaning;
};

const FieldMeaning MainFields[] = {
    {"KOD", "код сотрудника"}, {"NOM", "табельный номер"}, {"FIO", "фамилия, имя, отчество"},
    {"SOKR_FIO", "фамилия и инициалы"}, {"FIO_KOGO", "ФИО в родительном падеже"}, {"DOLZH", "должность"},
    {"OTDEL", "отдел"}, {"OKLAD", "оклад"}, {"UVOLEN", "уволен"}, {"INN", "ИНН"},
    {"STRAH_SVID", "страховое свидетельство"}, {"POL", "пол"}, {"OBRAZ", "образование"},
    {"IN_JAZ", "иностранный язык"}, {"UROVEN", "уровень владения языком"}, {"VOIN", "воинский учет"},
    {"ST_OB_LET", "общий стаж, лет"}, {"ST_OB_MES", "общий стаж, месяцев"}, {"ST_OB_DN", "общий стаж, дней"},
    {"ST_NP_LET", "непрерывный стаж, лет"}, {"ST_NP_MES", "непрерывный стаж, месяцев"},
    {"ST_NP_DN", "непрерывный стаж, дней"}, {"FOTO", "фотография"}};
const FieldMeaning PassportFields[] = {
    {"PASSPORT", "паспорт, серия и номер"}, {"PASS_DATA", "дата выдачи паспорта"}, {"PASS_KEM", "кем выдан паспорт"},
    {"DATA_ROZHD", "дата рождения"}, {"MESTO_ROZH", "место рождения"}, {"GRAZHD", "гражданство"},
    {"VIZA_DATA", "виза до"}, {"ADRESS", "адрес прописки"}, {"TELEFON", "телефон"}};
const FieldMeaning FamilyFields[] = {{"S_TIP", "член семьи (код)"}, {"S_TIP_N", "член семьи"},
                                     {"S_FIO", "ФИО члена семьи"}, {"S_ROZHD", "рождение члена семьи"},
                                     {"S_ADRES", "адрес члена семьи"}};
const FieldMeaning HistoryFields[] = {
    {"N_IZM", "номер изменения"}, {"D_IZM", "дата изменения"}, {"D_POST", "дата поступления на работу"},
    {"DOLZH", "должность"}, {"OTDEL", "отдел"}, {"OKLAD", "оклад"}, {"VID_RAB", "вид работы"},
    {"D_DOG", "дата трудового договора"}, {"NOM_DOG", "номер трудового договора"},
    {"D_PRIL", "дата приложения к договору"}, {"NOM_PRIL", "номер приложения к договору"},
    {"D_UVOL", "дата увольнения"}, {"PR_UVOL", "причина увольнения"}, {"ID_DOK", "приказ"}};
const FieldMeaning MilitaryFields[] = {{"KATEGOR", "категория запаса"}, {"ZVANIE", "воинское звание"},
                                       {"SOSTAV", "состав (профиль)"}, {"VUS", "ВУС"},
                                       {"GODN", "категория годности"}, {"VOENKOM", "военкомат"}};

struct TableMeaning {
    const char *name;
    const FieldMeaning *first;
    size_t count;
};

// Indexed by the column's table number, 1 to 6.
const TableMeaning Tables[] = {
    {"основная таблица", MainFields, std::size(MainFields)},
    {"паспорт", PassportFields, std::size(PassportFields)},
    {"семья", FamilyFields, std::size(FamilyFields)},
    {"история работы", HistoryFields, std::size(HistoryFields)},
    {"дополнительные параметры", nullptr, 0},
    {"воинский учет", MilitaryFields, std::size(MilitaryFields)},
};

std::string trimmed(std::string text)
{
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.pop_back();
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.erase(text.begin());
    return text;
}

} // namespace

QString stolbFieldMeaning(const AppState &state, const std::string &field, const std::string &tableNo)
{
    int32_t number = 0;
    if (!tryStrToInt(trimmed(tableNo), number) || number < 1 || number > static_cast<int32_t>(std::size(Tables)))
        return {};
    const TableMeaning &table = Tables[number - 1];
    const std::string name = trimmed(field);
    QString meaning;
    for (size_t i = 0; i < table.count; ++i)
        if (name == table.first[i].field)
            meaning = u(table.first[i].meaning);
    // An additional parameter is called what the constants call it.
    if (number == 5 && name.starts_with("DOPOLN")) {
        const LoadedTable &k = state.Konstanty;
        const int record = RecordNoOfText(name, k.Data, k.Header);
        if (record > 0)
            meaning = toQ(GetField(k.Header, k.Data, record, FieldIndex(k.Header, schema::ZNACHEN)));
    }
    return (meaning.isEmpty() ? u("поле не найдено") : meaning) + u(" — ") + u(table.name);
}

TSettingsPanel::TSettingsPanel(TForm3 &host) : QWidget(&host), m_host(host)
{
    setObjectName("PanelNastr");
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setAccessibleName(u("Параметры программы"));

    // "Общие"
    ObschList = new QWidget;
    ObschList->setObjectName("ObschList");
    Edit3 = new QLineEdit(ObschList);
    Edit3->setObjectName("Edit3");
    auto *label3 = makeLabel(u("Расположение основного файла базы (в этой же папке расположены и др. файлы)"),
                             Edit3, ObschList);
    Button6 = panelButton(ObschList, "Button6", "...", "Выбрать основной файл базы");
    RadioGroup2 = new TRadioGroup(u("Панель предварительного просмотра"), {u("не показывать"), u("показать")}, 2, ObschList);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setItemIndex(0);
    RadioGroup9 = new TRadioGroup(u("Открывать перечень должностей"),
                                  {u("в отдельной форме"), u("в выпадающем списке")}, 2, ObschList);
    RadioGroup9->setObjectName("RadioGroup9");
    SpinEdit1 = new QSpinBox(ObschList);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(3, 99);
    Label8 = makeLabel(u("Выберите количество дополнительных параметров"), SpinEdit1, ObschList, "Label8");
    RadioGroup10 = new TRadioGroup(u("Выберите инерфейс программы"),
                                   {u("Интерфейс кадровика"), u("Интерфейс расчетчика зарплаты")}, 1, ObschList);
    RadioGroup10->setObjectName("RadioGroup10");
    RadioGroup10->hide(); // the interface is carried through from config.ini unchanged
    {
        auto *l = new QVBoxLayout(ObschList);
        l->addWidget(label3);
        auto *row = new QHBoxLayout;
        row->addWidget(Edit3, 1);
        row->addWidget(Button6);
        l->addLayout(row);
        l->addWidget(RadioGroup2);
        l->addWidget(RadioGroup9);
        auto *spin = new QHBoxLayout;
        spin->addWidget(Label8);
        spin->addWidget(SpinEdit1);
        spin->addStretch(1);
        l->addLayout(spin);
        l->addStretch(1);
    }

    // "Константы"
    KonstList = new QWidget;
    KonstList->setObjectName("KonstList");
    StringGrid3 = grid(KonstList, "StringGrid3", "Константы");
    ComboBox9 = new QComboBox(StringGrid3->viewport());
    ComboBox9->setObjectName("ComboBox9");
    ComboBox9->setAccessibleName(u("Значение константы"));
    ComboBox9->hide();
    (new QVBoxLayout(KonstList))->addWidget(StringGrid3);

    // "Печать"
    PechatList = new QWidget;
    PechatList->setObjectName("PechatList");
    RadioGroup1 = new TRadioGroup(u("Сохранять распечатанные документы?"), {u("ДА"), u("НЕТ")}, 2, PechatList);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setItemIndex(0);
    // Not stored anywhere: printing reads the choice for the rest of the run.
    RadioGroup1->onClick([this] { m_host.state().SavePrintedDocuments = RadioGroup1->ItemIndex() == 0; });
    AfterFillingGroup = new TRadioGroup(u("После заполнения документа"),
                                        {u("открыть в редакторе"), u("показать просмотр"), u("сохранить PDF")},
                                        3, PechatList);
    AfterFillingGroup->setObjectName("AfterFillingGroup");
    AfterFillingGroup->setAccessibleName(u("После заполнения документа"));
    Edit4 = new QLineEdit(PechatList);
    Edit4->setObjectName("Edit4");
    auto *label4 = makeLabel(u("Каталог с шаблонами приказов:"), Edit4, PechatList);
    Button12 = panelButton(PechatList, "Button12", "...", "Выбрать каталог с шаблонами приказов");
    Edit5 = new QLineEdit(PechatList);
    Edit5->setObjectName("Edit5");
    auto *label5 = makeLabel(u("Сохранять документы в каталоге:"), Edit5, PechatList);
    Button8 = panelButton(PechatList, "Button8", "...", "Выбрать каталог для документов");
    StringGrid4 = grid(PechatList, "StringGrid4", "Шаблоны печати");
    Button7 = panelButton(StringGrid4->viewport(), "Button7", "...", "Выбрать файл шаблона");
    Button7->hide();
    SpeedButton5 = panelToolButton(PechatList, "SpeedButton5", "Добавить шаблон");
    SpeedButton6 = panelToolButton(PechatList, "SpeedButton6", "Удалить шаблон");
    {
        auto *l = new QVBoxLayout(PechatList);
        l->addWidget(RadioGroup1);
        l->addWidget(AfterFillingGroup);
        l->addWidget(label4);
        auto *r4 = new QHBoxLayout;
        r4->addWidget(Edit4, 1);
        r4->addWidget(Button12);
        l->addLayout(r4);
        l->addWidget(label5);
        auto *r5 = new QHBoxLayout;
        r5->addWidget(Edit5, 1);
        r5->addWidget(Button8);
        l->addLayout(r5);
        auto *tools = new QHBoxLayout;
        tools->addWidget(SpeedButton5);
        tools->addWidget(SpeedButton6);
        tools->addStretch(1);
        l->addLayout(tools);
        l->addWidget(StringGrid4, 1);
    }

    // "Интерфейс"
    InterfaceList = new QWidget;
    InterfaceList->setObjectName("InterfaceList");
    SpeedButton3 = panelToolButton(InterfaceList, "SpeedButton3", "Добавить колонку");
    SpeedButton4 = panelToolButton(InterfaceList, "SpeedButton4", "Удалить колонку");
    StringGrid2 = grid(InterfaceList, "StringGrid2", "Колонки основной таблицы");
    // Underlined letters other than those of "О К" and "Отмена" below the pages.
    SpeedButton3->setText(u("&Добавить колонку"));
    SpeedButton4->setText(u("&Удалить колонку"));
    {
        auto *l = new QVBoxLayout(InterfaceList);
        auto *tools = new QHBoxLayout;
        tools->addWidget(SpeedButton3);
        tools->addWidget(SpeedButton4);
        tools->addStretch(1);
        l->addLayout(tools);
        auto *columnsLabel = new QLabel(u("Колонки &перечня:"), InterfaceList);
        columnsLabel->setObjectName("LabelStolb");
        columnsLabel->setBuddy(StringGrid2);
        l->addWidget(columnsLabel);
        l->addWidget(StringGrid2, 1);
    }

    PageControl1->addTab(ObschList, u("Общие"));
    PageControl1->addTab(KonstList, u("Константы"));
    PageControl1->addTab(PechatList, u("Печать"));
    PageControl1->addTab(InterfaceList, u("Интерфейс"));
    PageControl1->addTab(new TDatabasePage(host.state(), this), u("База данных"));

    Button4 = panelButton(this, "Button4", "&О К");
    Button5 = panelButton(this, "Button5", "О&тмена");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button4);
    buttons->addWidget(Button5);
    layout->addLayout(buttons);
    setFocusProxy(PageControl1);

    connect(Button4, &QPushButton::clicked, this, guarded(this, [this] { Button4Click(); }));
    connect(Button5, &QPushButton::clicked, this, [this] { m_host.close(); });
    connect(Button6, &QPushButton::clicked, this, guarded(this, [this] { Button6Click(); }));
    connect(Button12, &QPushButton::clicked, this, guarded(this, [this] { Button12Click(); }));
    connect(Button8, &QPushButton::clicked, this, guarded(this, [this] { Button8Click(); }));
    connect(Button7, &QPushButton::clicked, this, guarded(this, [this] { Button7Click(); }));
    connect(SpeedButton3, &QToolButton::clicked, this, guarded(this, [this] { SpeedButton3Click(); }));
    connect(SpeedButton4, &QToolButton::clicked, this, guarded(this, [this] { SpeedButton4Click(); }));
    connect(SpeedButton5, &QToolButton::clicked, this, guarded(this, [this] { SpeedButton5Click(); }));
    connect(SpeedButton6, &QToolButton::clicked, this, guarded(this, [this] { SpeedButton6Click(); }));
    connect(StringGrid3, &TStringGrid::selectCell, this,
            guarded(this, [this](int c, int r) { StringGrid3SelectCell(c, r); }));
    connect(StringGrid4, &TStringGrid::selectCell, this,
            guarded(this, [this](int c, int r) { StringGrid4SelectCell(c, r); }));
    connect(StringGrid2, &TStringGrid::selectCell, this, [this](int, int r) { m_stolbRow = r; });
    // The grids' cells take what their tables' fields hold; widths and table numbers digits.
    bindGridToTable(StringGrid3, [this] { return &m_host.state().Konstanty; });
    bindGridToTable(StringGrid4, [this] { return &m_host.state().Pechat; });
    bindGridToTable(StringGrid2, [this] { return &m_host.state().Stolb; },
                    {std::string(schema::SHIRINA), std::string(schema::NOMER_BAZY)});
    connect(ComboBox9, qOverload<int>(&QComboBox::activated), this,
            guarded(this, [this](int item) { ComboBox9Change(item); }));

    // Enter in a single-line field is "О К", Esc closes; the grids keep their own keys.
    auto *keys = new PanelKeys(this, guarded(this, [this] { Button4Click(); }), [this] { m_host.close(); });
    for (QWidget *w : {static_cast<QWidget *>(Edit3), static_cast<QWidget *>(Edit4),
                       static_cast<QWidget *>(Edit5), static_cast<QWidget *>(SpinEdit1)})
        keys->watch(w);
    // In the director's list Enter or Esc returns to the grid; arrow keys on the closed list
    // change the choice without leaving it, a pick from the open list leaves at once.
    auto *listKeys = new PanelKeys(this, [this] { leaveComboBox9(); }, [this] { leaveComboBox9(); });
    listKeys->watch(ComboBox9);
    ComboBox9->view()->installEventFilter(this);
}

bool TSettingsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ComboBox9->view() && event->type() == QEvent::Show)
        m_pickingFromList = true;
    return QWidget::eventFilter(watched, event);
}

void TSettingsPanel::leaveComboBox9()
{
    ComboBox9->hide();
    StringGrid3->setFocus(Qt::OtherFocusReason);
}

void TSettingsPanel::prepare()
{
    AppState &state = m_host.state();
    Edit3->setText(toQ(state.MainTablePath));
    RadioGroup9->setItemIndex(state.PositionListMode == 1 ? 1 : 0);
    RadioGroup10->setItemIndex(state.InterfaceMode);
    SpinEdit1->setValue(state.ExtraParamCount);
    Edit4->setText(toQ(state.TemplatesFolder));
    Edit5->setText(toQ(state.OutputFolder));
    AfterFillingGroup->setItemIndex(static_cast<int>(afterFilling()));
    loadKonstanty();
    loadPechat();
    if (m_host.list().previewVisible())
        RadioGroup2->setItemIndex(1);
    if (state.InterfaceMode == 0)
        loadStolb();
    applyInterfaceChoice();
    Button7->hide();
    ComboBox9->hide();
    PageControl1->setCurrentWidget(ObschList);
}

void TSettingsPanel::applyInterfaceChoice()
{
    const bool hr = RadioGroup10->ItemIndex() == 0;
    RadioGroup2->setVisible(hr);
    RadioGroup9->setVisible(hr);
    Label8->setVisible(hr);
    SpinEdit1->setVisible(hr);
    PageControl1->setTabVisible(PageControl1->indexOf(InterfaceList), hr);
}

void TSettingsPanel::loadKonstanty()
{
    AppState &state = m_host.state();
    TStringGrid &g = *StringGrid3;
    loadTable(g, state.Konstanty);
    for (int c : {0, 1, 2})
        g.setColWidth(c, -1);
    g.setColWidth(3, 200);
    g.setCellText(3, 0, u("Наименование константы"));
    g.setColWidth(4, 260);
    g.setCellText(4, 0, u("Значение константы"));
    // The director, chief accountant and HR officer are shown by name; the table keeps codes.
    for (int r = 1; r <= state.Konstanty.Header.RecordCount; ++r)
        if (isPersonConstant(state, r))
            g.setCell(4, r, constantShownValue(state, r));
    for (int c = 0; c < g.ColCount(); ++c)
        g.setColumnEditable(c, c == 4);
    widenColumnsToText(g, 280);
    m_konstRow = 0;
}

void TSettingsPanel::loadPechat()
{
    TStringGrid &g = *StringGrid4;
    loadTable(g, m_host.state().Pechat);
    for (int c : {0, 1, 4})
        g.setColWidth(c, -1);
    g.setColWidth(2, 150);
    g.setCellText(2, 0, u("Наименование шаблона"));
    g.setColWidth(3, 310);
    g.setCellText(3, 0, u("Расположение шаблона печати"));
    widenColumnsToText(g, 310);
    m_pechatRow = 0;
}

void TSettingsPanel::loadStolb()
{
    TStringGrid &g = *StringGrid2;
    LoadedTable &stolb = m_host.state().Stolb;
    loadTable(g, stolb);
    g.setColWidth(1, -1);
    g.setColWidth(6, -1);
    g.setColWidth(2, 200);
    g.setCellText(2, 0, u("Наименование колонки"));
    g.setCellText(3, 0, u("Ширина"));
    g.setCellText(4, 0, u("Поле в базе"));
    g.setCellText(5, 0, u("Номер базы"));
    // One more column, read-only, stands beside the field's name and says what the field holds.
    const int meaning = g.ColCount();
    g.setSize(meaning + 1, g.RowCount());
    g.setColumnEditable(meaning, false);
    g.setCellText(meaning, 0, u("Что в поле"));
    auto describe = [this, &g, meaning](int row) {
        g.setCellText(meaning, row, stolbFieldMeaning(m_host.state(), g.Cell(4, row), g.Cell(5, row)));
    };
    for (int r = 1; r < g.RowCount(); ++r)
        describe(r);
    g.onCellEdited([&g, &stolb, describe](int col, int row) {
        if (row >= 1 && row <= stolb.Header.RecordCount)
            SetField(stolb, row, col, g.Cell(col, row));
        if (col == 4 || col == 5)
            describe(row);
    });
    QHeaderView *header = g.horizontalHeader();
    header->moveSection(header->visualIndex(meaning), header->visualIndex(4) + 1);
    widenColumnsToText(g);
    m_stolbRow = 0;
}

void TSettingsPanel::placeOver(QWidget *overlay, TStringGrid &g, int col, int row, bool buttonAtRight)
{
    const QRect cell = g.visualRect(g.model()->index(row - g.FixedRows(), col));
    if (buttonAtRight) {
        const QSize size = overlay->sizeHint();
        overlay->setGeometry(cell.right() + 2 - size.width(), cell.top() + 2, size.width(),
                             std::max(8, cell.height() - 2));
    } else {
        overlay->setGeometry(cell.left() + 1, cell.top() + 1, cell.width() + 1, cell.height() + 1);
    }
    overlay->show();
    overlay->raise();
    overlay->setFocus(Qt::OtherFocusReason);
}

void TSettingsPanel::StringGrid3SelectCell(int col, int row)
{
    AppState &state = m_host.state();
    m_konstRow = row;
    if (col != 4 || row < 1 || row > state.Konstanty.Header.RecordCount) {
        ComboBox9->hide();
        return;
    }
    if (!isPersonConstant(state, row)) {
        ComboBox9->hide();
        return;
    }
    const LoadedTable &main = state.Osnova;
    const int fio = FieldIndex(main.Header, schema::FIO);
    const int kod = FieldIndex(main.Header, schema::KOD);
    ComboBox9->clear();
    // Each item keeps its employee's code: the main table may be re-read while the list is open.
    for (int r = 1; r <= main.Header.RecordCount; ++r)
        ComboBox9->addItem(toQ(GetField(main.Header, main.Data, r, fio)),
                           QString::fromStdString(GetField(main.Header, main.Data, r, kod)));
    // The list starts at the employee chosen now, if any.
    int code = 0;
    const LoadedTable &k = state.Konstanty;
    const int current = tryStrToInt(GetField(k.Header, k.Data, row, FieldIndex(k.Header, schema::ZNACHEN)), code)
        ? nomerstrokipokodu(main.Header, main.Data, code)
        : 0;
    ComboBox9->setCurrentIndex(current - 1);
    m_pickingFromList = false;
    placeOver(ComboBox9, *StringGrid3, col, row, false);
}

void TSettingsPanel::ComboBox9Change(int item)
{
    LoadedTable &k = m_host.state().Konstanty;
    if (m_konstRow < 1 || m_konstRow > k.Header.RecordCount || item < 0 || item >= ComboBox9->count())
        return;
    StringGrid3->setCell(4, m_konstRow, fromQ(ComboBox9->itemText(item)));
    SetField(k, m_konstRow, schema::ZNACHEN, ComboBox9->itemData(item).toString().toStdString());
    if (m_pickingFromList) {
        m_pickingFromList = false;
        leaveComboBox9();
    }
}

void TSettingsPanel::StringGrid4SelectCell(int col, int row)
{
    m_pechatRow = row;
    if (col == 3 && row >= 1)
        placeOver(Button7, *StringGrid4, col, row, true);
    else
        Button7->hide();
}

QString TSettingsPanel::chooseFile(const QString &caption, const QString &startAt)
{
    return Dialogs::openFile(caption, u("Все файлы (*)"), this, startAt);
}

void TSettingsPanel::Button6Click()
{
    const QString file = chooseFile(u("Основной файл базы"), Edit3->text());
    if (!file.isEmpty())
        Edit3->setText(file);
}

// The folders end with the separator, as the rest of the program joins names to them.
void TSettingsPanel::Button12Click()
{
    const QString folder = Dialogs::chooseFolder(u("Каталог с шаблонами приказов"), this, Edit4->text());
    if (!folder.isEmpty())
        Edit4->setText(QDir(folder).absolutePath() + '/');
}

void TSettingsPanel::Button8Click()
{
    const QString folder = Dialogs::chooseFolder(u("Каталог для сохранения документов"), this, Edit5->text());
    if (!folder.isEmpty())
        Edit5->setText(QDir(folder).absolutePath() + '/');
}

void TSettingsPanel::Button7Click()
{
    LoadedTable &pechat = m_host.state().Pechat;
    const int row = m_pechatRow;
    if (row < 1 || row > pechat.Header.RecordCount)
        return;
    const QString current = StringGrid4->cellText(3, row);
    const QString file = chooseFile(u("Шаблон печати"), current.isEmpty() ? Edit4->text() : current);
    if (file.isEmpty())
        return;
    StringGrid4->setCellText(3, row, file);
    SetField(pechat, row, 3, fromQ(file));
}

void TSettingsPanel::SpeedButton5Click()
{
    LoadedTable &pechat = m_host.state().Pechat;
    addReferenceRow(pechat); // numbered after the last template, as the other lists are
    loadPechat();
    selectGridRow(*StringGrid4, pechat.Header.RecordCount);
}

void TSettingsPanel::SpeedButton6Click()
{
    LoadedTable &pechat = m_host.state().Pechat;
    if (m_pechatRow < 1 || m_pechatRow > pechat.Header.RecordCount)
        return;
    DeleteRecord(pechat, m_pechatRow);
    loadPechat();
}

void TSettingsPanel::SpeedButton3Click()
{
    if (!Dialogs::question(u("Вы действительно хотите добавить новую колонку? Для этого надо знать структуру базы!"), this))
        return;
    LoadedTable &stolb = m_host.state().Stolb;
    addReferenceRow(stolb);
    loadStolb();
    selectGridRow(*StringGrid2, stolb.Header.RecordCount);
}

void TSettingsPanel::SpeedButton4Click()
{
    LoadedTable &stolb = m_host.state().Stolb;
    if (m_stolbRow < 1 || m_stolbRow > stolb.Header.RecordCount)
        return;
    if (!Dialogs::question(u("Вы действительно хотите удалить колонку основной таблицы?"), this))
        return;
    DeleteRecord(stolb, m_stolbRow);
    loadStolb();
}

void TSettingsPanel::Button4Click()
{
    AppState &state = m_host.state();
    EmployeeListWindow &list = m_host.list();
    const int n = state.ExtraParamCount;
    const int m = SpinEdit1->value();

    // A new database folder is read whole before anything is written, so the tables kept in
    // memory never belong to another folder than the one the next save writes to.
    std::string path = fromQ(Edit3->text());
    const bool pathChanged = path != state.MainTablePath;
    // Another database replaces the tables every window shows: their typed work and a confirmed
    // deletion are settled first, so nothing staged for this database reaches the other.
    if (pathChanged && !list.settleBeforeReading())
        return;
    if (pathChanged) {
        std::string error;
        if (!switchDatabase(state, path, error)) {
            Dialogs::error(u("В папке новой базы нет таблиц базы данных, прежняя база остается открытой.\n") +
                               QString::fromUtf8(error),
                           this);
            path = state.MainTablePath;
            Edit3->setText(toQ(path));
        }
    }

    if (!fileExists(resolveFileName(state.ProgramFolder, "config.ini")))
        Dialogs::message(u("Не найден файл Config.ini, сейчас он будет создан"), this);
    state.MainTablePath = path;
    if (const int chosen = AfterFillingGroup->ItemIndex(); chosen >= 0 && chosen != static_cast<int>(afterFilling()))
        setAfterFilling(static_cast<AfterFilling>(chosen));
    state.TemplatesFolder = withFinalSeparator(fromQ(Edit4->text()));
    state.OutputFolder = withFinalSeparator(fromQ(Edit5->text()));
    state.PositionListMode = RadioGroup9->ItemIndex() == 1 ? 1 : 0;
    state.InterfaceMode = std::max(0, RadioGroup10->ItemIndex());
    const bool showPreview = RadioGroup2->ItemIndex() == 1;

    int count = n;
    const bool removing = m < n &&
        Dialogs::question(u("Вы уверены, что хотите удалить дополнительные поля??? Возможна потеря данных!!!"), this);
    // config.ini, the program folder's tables and Dopoln go to disk in one commit: all of them
    // or none.
    SaveSet save(state, "параметры программы");
    // The panels' edits live in the tables themselves: a failed write keeps them for a retry.
    save.keepChangesOnFailure();
    save.addFile(resolveFileName(state.ProgramFolder, "config.ini"), configIniBytes(state, showPreview));
    addProgramTables(save, state);
    try {
        // Added before it changes: a save refused now leaves nothing changed behind.
        if (m > n || removing)
            save.add(state.Dopoln);
        if (m > n) {
            addExtraParams(state, n, m);
            count = m;
        } else if (removing) {
            removeExtraParams(state, n, m);
            count = m;
        }
    } catch (...) {
        save.abandon();
        throw;
    }
    save.commit();
    m_host.close();
    state.ExtraParamCount = count;

    list.showPreview(showPreview);
    list.refill(state.CurrentCodeList);
    if (list.rowCount() > 1)
        list.selectRow(1);
}

} // namespace veltor
