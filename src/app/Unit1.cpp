#include "app/Unit1.h"

#include "app/Archive.h"
#include "app/CodePageConversion.h"
#include "app/Dialogs.h"
#include "app/DocumentNotices.h"
#include "app/EmployeeCommands.h"
#include "app/Guard.h"
#include "app/Mnemonics.h"
#include "app/Picture.h"
#include "app/WindowSupport.h"
#include "records/CodeIndex.h"
#include "records/Commit.h"
#include "app/QtText.h"
#include "app/Release.h"
#include "app/ServerConnection.h"
#include "records/Startup.h"
#include "app/StringGrid.h"
#include "documents/TemplatePrinting.h"
#include "storage/FileNames.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Errors.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>

namespace veltor {

namespace {
// The menu item keeps its letter as it changes between the two.
const char *const ShowPreviewCaption = "Показать &панель предпросмотра";
const char *const HidePreviewCaption = "Убрать &панель предпросмотра";
const char *const NobodyCurrent = "Сотрудник не выбран";

} // namespace

TForm1::TForm1(AppState &state, QWidget *parent) : QMainWindow(parent), m_state(state)
{
    setObjectName("Form1");
    setWindowTitle(QString::fromStdString(programTitle()));
    createActions();
    createMenus();
    createToolBar();
    createCentralWidgets();
    // Another window's commit: the list and the preview show the records as they are now.
    connect(m_state.Notifier.get(), &ChangeNotifier::committed, this,
            [this](const RecordChange &change) { runGuarded(this, [&] { changeCommitted(change); }); });
}

void TForm1::changeCommitted(const RecordChange &change)
{
    if (change.tables.empty() || StringGrid1->isHidden() || m_state.InterfaceMode != 0)
        return;
    // A commit about listed employees refreshes their rows alone: refilling the whole list
    // would cost every save as much as a start-up at a hundred thousand employees. Reference
    // lists, columns and employees come or gone change every row.
    bool wholeList = change.codes.empty();
    for (const char *table : {"otdel.dbf", "dolzh.dbf", "stolb.dbf"})
        wholeList = wholeList || change.tables.count(table) > 0;
    std::vector<std::pair<int, std::string>> rows;
    for (const int32_t code : change.codes) {
        const std::string text = intToStr(code);
        const int row = rowOfCode(text);
        if (row <= 0 || row >= static_cast<int>(m_rowMainRecords.size()) ||
            indexByCode(m_state.Osnova).firstInteger(text) != m_rowMainRecords[row])
            wholeList = true;
        rows.emplace_back(row, text);
    }
    if (wholeList) {
        zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    } else {
        for (const auto &[row, code] : rows) {
            ListContent one = buildEmployeeList(m_state, code + ",");
            if (one.rows < 2 || one.cols != StringGrid1->ColCount())
                continue;
            for (int c = 0; c < one.cols; ++c)
                StringGrid1->setCell(c, row, std::move(one.at(c, 1)));
        }
        StringGrid1->viewport()->update();
    }
    if (const int row = rowOfCode(m_currentCode); row > 0)
        StringGrid1SelectCell(1, row);
}

EmployeeCard *TForm1::card() const { return dynamic_cast<EmployeeCard *>(m_links.Form2); }

bool TForm1::settleBeforeReading()
{
    if (m_state.Notifier && !m_state.Notifier->settleUnsavedWork())
        return false;
    if (m_state.RecordsDeleted) {
        if (Dialogs::question(QString::fromUtf8("Удаление сотрудников ещё не записано на диск. Записать его сейчас?\n"
                                                "«Нет» — удаление будет отменено, сотрудники вернутся в перечень."),
                              this))
            writeTablesAfterDeletion(m_state);
        else
            for (LoadedTable *t : employeeTables(m_state))
                RevertChanges(*t);
        m_state.RecordsDeleted = false;
    }
    return true;
}

void TForm1::makeCurrent(const std::string &code)
{
    if (const int row = rowOfCode(code); row > 0)
        StringGrid1SelectCell(1, row);
}

void TForm1::createActions()
{
    auto make = [this](QAction *&action, const char *name, const char *caption) {
        action = new QAction(QString::fromUtf8(caption), this);
        action->setObjectName(name);
    };
    make(N1_10, "N1_10", "Показать данные сотрудника");
    make(N1_1, "N1_1", "Поиск");
    make(N1_2, "N1_2", "Сортировка");
    make(N1_3, "N1_3", "Фильтр");
    make(N1_6, "N1_6", "Показать работающих");
    make(N1_7, "N1_7", "Показать НЕ работающих");
    make(N1_5, "N1_5", "Показать всех");
    make(N1_4, "N1_4", "Новый сотрудник");
    make(N1_8, "N1_8", "Потоковый ввод данных");
    make(N1_9, "N1_9", "Удалить запись");
    make(N1_11, "N1_11", "Экспорт перечня…");
    make(N1_12, "N1_12", "Проверка данных");
    make(N6_1, "N6_1", "На одного сотрудника");
    make(N6_2, "N6_2", "На нескольких сотрудников");
    make(N6_3, "N6_3", "Табель");
    make(N6_4, "N6_4", "Журнал документов");
    make(N7_1, "N7_1", "Начисление/удержание");
    make(N7_2, "N7_2", "Расчет отклонения");
    make(N7_3, "N7_3", "Журнал документов");
    make(N5_1, "N5_1", "Печать перечня");
    make(N2_1, "N2_1", "Параметры программы");
    make(N2_3, "N2_3", "Справочник отделов");
    make(N2_4, "N2_4", "Справочник должностей");
    make(N2_7, "N2_7", "Выбор колонок");
    make(N2_9, "N2_9", HidePreviewCaption);
    make(N2_5, "N2_5", "Архивировать");
    make(N2_11, "N2_11", "Восстановить из архива…");
    make(N2_6, "N2_6", "Разархивировать");
    make(N2_2, "N2_2", "Перевести DOS->WIN");
    make(N3_2, "N3_2", "Справка");
    make(N3_1, "N3_1", "О программе");
    make(N4, "N4", "Выход");
    N6_2->setVisible(false);
    N6_3->setVisible(false);
    N2_6->setVisible(false);
    N2_2->setVisible(false);

    N1_10->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    N1_4->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    N4->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    N3_2->setShortcut(QKeySequence(Qt::Key_F1));

    connect(N1_10, &QAction::triggered, this, guarded(this, [this] { N1_10Click(); }));
    connect(N1_4, &QAction::triggered, this, guarded(this, [this] { N1_4Click(); }));
    connect(N1_5, &QAction::triggered, this, guarded(this, [this] { N1_5Click(); }));
    connect(N1_9, &QAction::triggered, this, guarded(this, [this] { N1_9Click(); }));
    connect(N2_9, &QAction::triggered, this, guarded(this, [this] { N2_9Click(); }));
    connect(N2_5, &QAction::triggered, this, guarded(this, [this] { N2_5Click(); }));
    connect(N2_2, &QAction::triggered, this, guarded(this, [this] { N2_2Click(); }));
    connect(N3_2, &QAction::triggered, this, guarded(this, [this] { N3_2Click(); }));
    connect(N4, &QAction::triggered, this, [this] { N4Click(); });
    connect(N5_1, &QAction::triggered, this, guarded(this, [this] { N5_1Click(); }));
    // The orders window lives in a library above this one: reached through its interface.
    connect(N6_1, &QAction::triggered, this, [this] {
        if (auto *orders = dynamic_cast<OrdersWindow *>(m_links.Form4))
            orders->openNewOrder();
    });
    connect(N6_4, &QAction::triggered, this, [this] {
        if (auto *orders = dynamic_cast<OrdersWindow *>(m_links.Form4))
            orders->openJournal();
    });
    connect(N1_11, &QAction::triggered, this, guarded(this, [this] { N1_11Click(); }));
    connect(N1_12, &QAction::triggered, this, guarded(this, [this] { N1_12Click(); }));
    connect(N2_11, &QAction::triggered, this, guarded(this, [this] { N2_11Click(); }));
}

void TForm1::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName("MainMenu1");
    // Each top-level menu opens with Alt and one letter of its caption, no letter used twice.
    auto menu = [this, bar](QMenu *&m, const char *name, const char *caption) {
        m = bar->addMenu(QString::fromUtf8(caption));
        m->setObjectName(name);
        m->setAccessibleName(withoutMnemonic(m->title()));
    };
    menu(N1, "N1", "&Перечень");
    N1->addAction(N1_10);
    N1->addSeparator();
    N1->addAction(N1_1);
    N1->addAction(N1_2);
    N1->addAction(N1_3);
    N1->addAction(N1_6);
    N1->addAction(N1_7);
    N1->addAction(N1_5);
    N1->addSeparator();
    N1->addAction(N1_11);
    N1->addAction(N1_12);
    N1->addSeparator();
    N1->addAction(N1_4);
    N1->addAction(N1_8);
    N1->addSeparator();
    N1->addAction(N1_9);

    menu(N6, "N6", "&Кадровые приказы");
    N6->addAction(N6_1);
    N6->addAction(N6_2);
    N6->addAction(N6_3);
    N6->addSeparator();
    N6->addAction(N6_4);

    menu(N7, "N7", "Документы по &зарплате");
    N7->addAction(N7_1);
    N7->addAction(N7_2);
    N7->addAction(N7_3);
    N7->menuAction()->setVisible(false);

    menu(N5, "N5", "&Документы и отчеты");
    N5->addAction(N5_1);
    N5->addSeparator();
    connect(N5, &QMenu::aboutToShow, this, guarded(this, [this] { N5Show(); }));

    menu(N2, "N2", "&Настройки");
    N2->addAction(N2_1);
    N2_10 = N2->addMenu(QString::fromUtf8("Справочники"));
    N2_10->setObjectName("N2_10");
    N2_10->addAction(N2_3);
    N2_10->addAction(N2_4);
    N2_8 = N2->addMenu(QString::fromUtf8("Вид"));
    N2_8->setObjectName("N2_8");
    N2_8->addAction(N2_7);
    N2_8->addAction(N2_9);
    N2->addSeparator();
    N2->addAction(N2_5);
    N2->addAction(N2_11);
    N2->addAction(N2_6);
    N2->addAction(N2_2);

    menu(N3, "N3", "По&мощь");
    N3->addAction(N3_2);
    N3->addAction(N3_1);

    N4->setText(QString::fromUtf8("&Выход"));
    bar->addAction(N4);
    for (QMenu *m : {N1, N6, N7, N5, N2, N3})
        assignMenuMnemonics(m);

    // F10, the usual key for the menu bar, opens the first menu shown.
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    f10->setObjectName("MenuKey");
    connect(f10, &QShortcut::activated, this, [bar] {
        for (QAction *action : bar->actions()) {
            if (action->isVisible() && action->menu()) {
                bar->setActiveAction(action);
                return;
            }
        }
    });
}

void TForm1::createToolBar()
{
    ToolBar1 = addToolBar(QString::fromUtf8("Панель инструментов"));
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setIconSize(QSize(22, 22));
    // The text beside each icon is the action's short icon text, with its own underlined
    // letter; the tooltip and the accessible name give the whole caption.
    auto button = [this](QToolButton *&b, const char *name, QAction *action, const char *text, const char *hint,
                         std::initializer_list<const char *> themeNames, const char *ownIcon) {
        action->setIcon(themedIcon(themeNames, ownIcon));
        action->setIconText(QString::fromUtf8(text));
        b = new QToolButton(ToolBar1);
        b->setObjectName(name);
        b->setDefaultAction(action);
        b->setToolTip(QString::fromUtf8(hint));
        b->setAccessibleName(QString::fromUtf8(hint));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        // Out of the Tab chain: Tab goes from the list to the panel; every button's command
        // stays in the menu, its shortcut and the button's underlined letter.
        b->setFocusPolicy(Qt::NoFocus);
        return ToolBar1->addWidget(b);
    };
    // Buttons carry no logic: each shares the QAction of the menu item it stands for. The
    // underlined letters differ from the menu bar's and the preview panel's.
    button(SpeedButton1, "SpeedButton1", N1_10, "Д&анные", "Показать данные сотрудника",
           {"document-preview", "x-office-document"}, "card");
    button(SpeedButton2, "SpeedButton2", N1_1, "По&иск", "Поиск", {"edit-find"}, "find");
    button(SpeedButton3, "SpeedButton3", N1_2, "Со&ртировка", "Сортировка",
           {"view-sort-ascending", "view-sort"}, "sort");
    button(SpeedButton4, "SpeedButton4", N1_3, "&Фильтр", "Фильтр", {"view-filter"}, "filter");
    button(SpeedButton7, "SpeedButton7", N1_5, "Вс&е", "Показать всех сотрудников", {"view-refresh"}, "refresh");
    ToolBar1->addSeparator();
    SpeedButton8Slot = button(SpeedButton8, "SpeedButton8", N1_4, "До&бавить", "Добавить нового сотрудника",
                              {"contact-new", "list-add"}, "new");
    SpeedButton9Slot = button(SpeedButton9, "SpeedButton9", N1_9, "Уда&лить", "Удалить запись из базы",
                              {"edit-delete"}, "delete");
    ToolBar1->addSeparator();
    button(SpeedButton10, "SpeedButton10", N5_1, "Пе&чать", "Печать перечня сотрудников", {"document-print"},
           "print");
    button(SpeedButton11, "SpeedButton11", N1_11, "&Экспорт", "Экспорт перечня",
           {"document-export", "document-save-as"}, "export");
    button(SpeedButton6, "SpeedButton6", N2_7, "К&олонки", "Выбор колонок",
           {"view-list-details", "view-column"}, "columns");
    button(SpeedButton5, "SpeedButton5", N2_1, "Нас&тройки", "Настройки",
           {"preferences-system", "preferences-other"}, "settings");
}

QIcon TForm1::themedIcon(std::initializer_list<const char *> themeNames, const char *ownIcon)
{
    for (const char *name : themeNames)
        if (const QIcon icon = QIcon::fromTheme(QString::fromLatin1(name)); !icon.isNull())
            return icon;
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QString::fromLatin1(ownIcon)));
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    // Texts beside the icons while they fit; a narrow window shows the icons alone.
    // Measured over the buttons the interface shows, also those the tool bar has moved into
    // its overflow menu.
    int wanted = 0;
    for (QAction *slot : ToolBar1->actions()) {
        auto *b = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(slot));
        if (!slot->isVisible() || !b || !b->defaultAction())
            continue;
        const int iconOnly = b->iconSize().width() + 12;
        wanted += iconOnly + b->fontMetrics().horizontalAdvance(b->defaultAction()->iconText().remove(QLatin1Char('&'))) + 8;
    }
    const Qt::ToolButtonStyle style = wanted + 40 <= width() ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly;
    for (QToolButton *b : ToolBar1->findChildren<QToolButton *>())
        if (b->defaultAction())
            b->setToolButtonStyle(style);
}

void TForm1::createCentralWidgets()
{
    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);

    StringGrid1 = new TStringGrid(central);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->setAccessibleName(QString::fromUtf8("Перечень сотрудников"));
    StringGrid1->setRowSelect(true);
    StringGrid1->setDefaultRowHeight(18);
    StringGrid1->setMarkerColor([this](int row) { return StringGrid1DrawCell(row); });
    connect(StringGrid1, &TStringGrid::selectCell, this,
            guarded(this, [this](int col, int row) { StringGrid1SelectCell(col, row); }));
    connect(StringGrid1, &TStringGrid::dblClicked, this, guarded(this, [this] { StringGrid1DblClick(); }));
    connect(StringGrid1, &TStringGrid::enterPressed, N1_10, &QAction::trigger);
    layout->addWidget(StringGrid1, 1);

    Panel1 = new QFrame(central);
    Panel1->setObjectName("Panel1");
    Panel1->setAccessibleName(QString::fromUtf8("Панель предпросмотра"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFixedWidth(230);
    auto *panel = new QVBoxLayout(Panel1);
    SpeedButton14 = new QToolButton(Panel1);
    SpeedButton14->setObjectName("SpeedButton14");
    SpeedButton14->setText("->");
    SpeedButton14->setToolTip(withoutMnemonic(QString::fromUtf8(HidePreviewCaption)));
    SpeedButton14->setAccessibleName(withoutMnemonic(QString::fromUtf8(HidePreviewCaption)));
    connect(SpeedButton14, &QToolButton::clicked, N2_9, &QAction::trigger);
    panel->addWidget(SpeedButton14, 0, Qt::AlignRight);

    Foto1 = new QLabel(Panel1);
    Foto1->setObjectName("Foto1");
    Foto1->setAccessibleName(QString::fromUtf8("Фотография сотрудника"));
    Foto1->setFixedSize(200, 240);
    Foto1->setScaledContents(true);
    Foto1->setFrameShape(QFrame::Box);
    panel->addWidget(Foto1, 0, Qt::AlignHCenter);

    auto text = [this, panel](QLabel *&label, const char *name) {
        label = new QLabel(Panel1);
        label->setObjectName(name);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        setPreviewText(label, QString());
        panel->addWidget(label);
    };
    text(StaticText1, "StaticText1");
    QFont bold = StaticText1->font();
    bold.setBold(true);
    StaticText1->setFont(bold);
    text(StaticText2, "StaticText2");
    text(StaticText3, "StaticText3");
    text(StaticText4, "StaticText4");
    panel->addStretch(1);

    Button1 = new QPushButton(QString::fromUtf8("Новый &сотрудник"), Panel1);
    Button1->setObjectName("Button1");
    connect(Button1, &QPushButton::clicked, N1_4, &QAction::trigger);
    panel->addWidget(Button1);
    Button2 = new QPushButton(QString::fromUtf8("&Удалить запись"), Panel1);
    Button2->setObjectName("Button2");
    connect(Button2, &QPushButton::clicked, N1_9, &QAction::trigger);
    panel->addWidget(Button2);
    layout->addWidget(Panel1);

    setCentralWidget(central);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setObjectName("StatusBar1Panel0");
    statusBar()->setObjectName("StatusBar1");
    statusBar()->addWidget(StatusPanel0, 1);
    StatusMissing = new QLabel(this);
    StatusMissing->setObjectName("StatusBar1Panel1");
    StatusMissing->hide();
    statusBar()->addPermanentWidget(StatusMissing);
    installDocumentNotices(statusBar(), this);
}

void TForm1::FormCreate()
{
    setRereadTables([this] { N1_5Click(); });
    runGuarded(this, [this] { runStartup(); });
    showMissingTables();
    // The keyboard starts in the list, on its first row; nobody is current until a row is chosen.
    if (m_currentCode.empty() && StringGrid1->RowCount() > 1)
        StringGrid1->setRowSilently(1, false);
    StringGrid1->setFocus(Qt::OtherFocusReason);
    // The window is placed even when start-up stopped part-way, so it opens usable.
    // The first time it fills the screen; later it opens where the clerk left it.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.topLeft());
        resize(r.width(), std::max(200, r.height() - 30));
    }
    placeOnScreen(this, false);
}

void TForm1::readProgramTable(std::string_view name, const char *missingMessage, LoadedTable &table)
{
    const std::filesystem::path file = m_state.programFile(name);
    if (!fileExists(file)) {
        Dialogs::message(QString::fromUtf8(missingMessage), this);
        // Made as an empty table with its fields: a file of no bytes is no table.
        for (const schema::TableDefinition &d : schema::ProgramTables)
            if (d.fileName == name)
                CreateTableFile(file, d.structure, 0);
    }
    ReadTable(file, table);
}

void TForm1::runStartup()
{
    AppState &s = m_state;
    s.RecordsDeleted = false;
    s.InterfaceMode = 0;
    s.PositionListMode = 0;
    s.DocumentsMenuBuilt = false;
    s.NextOrderNumberKnown = false;
    s.OrderOpenedFromJournal = false;

    const std::filesystem::path installer = s.programFile("ustan.exe");
    if (fileExists(installer)) {
        std::error_code ec;
        std::filesystem::remove(installer, ec);
    }

    const std::filesystem::path config = s.programFile("config.ini");
    if (!fileExists(config)) {
        Dialogs::message(QString::fromUtf8("Не найден файл Config.ini, сейчас он будет создан"), this);
        std::ofstream(config, std::ios::binary);
    }
    s.VidValue.clear();
    readConfigIni(config, s);
    applyVid(s.VidValue);
    applyInterfaceMode();

    readProgramTable(schema::StolbTable, "Не найден файл Stolb, сейчас он будет создан", s.Stolb);
    s.ColumnSettings = columnSettingsFromStolb(s.Stolb);
    readProgramTable(schema::KonstantyTable, "Не найден файл Konstanty, сейчас он будет создан", s.Konstanty);
    s.ExtraParamCount = extraParamCount(s.Konstanty);
    readProgramTable(schema::PechatTable, "Не найден файл Pechat, сейчас он будет создан", s.Pechat);

    s.CurrentCodeList = "-1";
    // A database on a server is shared by several clerks: no folder is locked, and the
    // commits of the others are taken in as they are announced.
    if (std::shared_ptr<PgStorage> server = connectChosenServer(s, this)) {
        s.Storage = server;
        s.ReadOnly = false;
        applyReadOnly();
        showOpeningReport(loadPersonnelTables(s));
        server->follow(s);
    } else {
        if (s.MainTablePath.empty()) {
            Dialogs::message(QString::fromUtf8("Не найдены базы! Настройте программу."), this);
            return;
        }
        if (!lockDatabase())
            return;
        showOpeningReport(loadPersonnelTables(s));
    }
    if (s.Osnova.Header.RecordCount <= 0)
        StringGrid1->hide();
    else
        zapolnenieOsnovnojTablitsy(s.CurrentCodeList);
}

bool TForm1::lockDatabase()
{
    AppState &s = m_state;
    auto lock = std::make_shared<DatabaseLock>();
    if (lock->acquire(s.databaseFolder())) {
        s.Lock = std::move(lock);
        s.ReadOnly = false;
        applyReadOnly();
        return true;
    }
    if (!Dialogs::question(QString::fromUtf8(lock->heldMessage() +
                                             "\n\nОткрыть базу только для чтения? Изменения сохранять будет нельзя. "
                                             "«Нет» — выйти из программы."),
                           this)) {
        m_quitRequested = true;
        return false;
    }
    s.ReadOnly = true;
    applyReadOnly();
    return true;
}

void TForm1::applyReadOnly()
{
    const bool writable = !m_state.ReadOnly;
    for (QAction *a : {N1_4, N1_9, N2_2, N2_11})
        if (a)
            a->setEnabled(writable);
    for (QPushButton *b : {Button1, Button2})
        if (b)
            b->setEnabled(writable);
    markTitle();
}

void TForm1::markTitle()
{
    static const QString suffix = QString::fromUtf8(" (только чтение)");
    const QString name = QString::fromUtf8(ProgramName);
    QString title = windowTitle();
    // Commands give the list captions of their own ("Перечень сотрудников"); the program's
    // name stays in front of them.
    if (!title.startsWith(name))
        title = name + QString::fromUtf8(" — ") + title;
    if (m_state.ReadOnly && !title.endsWith(suffix))
        title += suffix;
    else if (!m_state.ReadOnly && title.endsWith(suffix))
        title.chop(suffix.size());
    if (title != windowTitle())
        setWindowTitle(title);
}

bool TForm1::event(QEvent *e)
{
    // Whatever sets the title, a database open read-only says so in it.
    if (e->type() == QEvent::WindowTitleChange)
        markTitle();
    return QMainWindow::event(e);
}

void TForm1::showOpeningReport(const OpeningReport &report)
{
    QStringList lines;
    if (!report.undoneSave.empty())
        lines << QString::fromUtf8("Прошлое сохранение («" + report.undoneSave +
                                   "») было прервано и отменено: таблицы возвращены к состоянию до него.");
    for (const std::string &w : report.warnings)
        lines << QString::fromUtf8(w);
    for (const std::string &f : report.removedLeftovers)
        statusBar()->showMessage(QString::fromUtf8("Удалён временный файл прежней версии: " + f), 15000);
    if (!lines.isEmpty())
        Dialogs::message(lines.join(QStringLiteral("\n\n")), this);
}

void TForm1::applyVid(const std::string &vid)
{
    const bool show = !vid.empty() && vid[0] == '1';
    Panel1->setVisible(show);
    N2_9->setText(QString::fromUtf8(show ? HidePreviewCaption : ShowPreviewCaption));
    m_state.PositionListMode = vid.size() >= 2 && vid[1] == '1' ? 1 : 0;
}

void TForm1::applyInterfaceMode()
{
    const bool hr = m_state.InterfaceMode == 0;
    SpeedButton8Slot->setVisible(hr);
    SpeedButton9Slot->setVisible(hr);
    N6->menuAction()->setVisible(hr);
    N7->menuAction()->setVisible(!hr);
}

bool TForm1::previewVisible() const
{
    return !Panel1->isHidden();
}

void TForm1::zapolnenieOsnovnojTablitsy(const std::string &codeList)
{
    const std::string codes = effectiveCodeList(m_state, codeList);
    if (m_state.InterfaceMode != 0)
        return;
    ListContent list = buildEmployeeList(m_state, codes);
    m_rowCodes = splitCodeList(codes);
    m_rowCodes.insert(m_rowCodes.begin(), std::string());
    m_rowMainRecords = std::move(list.mainRecords);

    StringGrid1->beginUpdate();
    StringGrid1->setSize(0, 0);
    StringGrid1->setSize(list.cols, list.rows);
    StringGrid1->setFixedRows(1);
    StringGrid1->setFixedCols(1);
    for (int r = 0; r < list.rows; ++r)
        for (int c = 0; c < list.cols; ++c)
            StringGrid1->setCell(c, r, std::move(list.at(c, r)));
    StringGrid1->endUpdate();
    for (int c = 0; c < list.cols; ++c)
        StringGrid1->setColWidth(c, list.widths[c]);
    StringGrid1->setColSizing(true);
    StringGrid1->viewport()->update();
    selectCurrentAfterFill();
    if (!list.badValues.empty() && list.badValues != m_reportedBadValues)
        Dialogs::message(QString::fromStdString(badStoredValuesMessage(list.badValues)), this);
    m_reportedBadValues = std::move(list.badValues);
}

void TForm1::refillList(const std::string &codeList, const std::string &currentCode)
{
    m_currentCode = currentCode;
    zapolnenieOsnovnojTablitsy(codeList);
}

void TForm1::selectCurrentAfterFill()
{
    // The employee made current without the list (the card, or a test) is found by the code
    // his main-table record holds.
    const LoadedTable &main = m_state.Osnova;
    if (m_currentCode.empty() && m_state.CurMainRec >= 1 && m_state.CurMainRec <= main.Header.RecordCount)
        m_currentCode = GetField(main.Header, main.Data, m_state.CurMainRec, FieldIndex(main.Header, schema::KOD));
    if (const int row = rowOfCode(m_currentCode); row > 0)
        StringGrid1->setRow(row);
    else
        clearCurrentEmployee();
}

int TForm1::rowOfCode(const std::string &code) const
{
    if (code.empty())
        return 0;
    for (size_t r = 1; r < m_rowCodes.size(); ++r)
        if (m_rowCodes[r] == code)
            return static_cast<int>(r);
    return 0;
}

void TForm1::clearCurrentEmployee()
{
    m_currentCode.clear();
    m_state.CurMainRec = 0;
    m_state.CurPassportRec = 0;
    m_state.CurTrudRec = 0;
    m_state.CurDopolnRec = 0;
    const bool rows = m_state.Osnova.Header.RecordCount > 0 && StringGrid1->RowCount() > 1;
    StatusPanel0->setText(rows ? QString::fromUtf8(NobodyCurrent) : QString());
    for (QLabel *label : {StaticText1, StaticText2, StaticText3, StaticText4})
        setPreviewText(label, QString());
    Foto1->clear();
    if (rows)
        StringGrid1->setRowSilently(1, false);
}

void TForm1::showMissingTables()
{
    std::vector<std::string> names;
    if (!m_state.MainTablePath.empty())
        names = missingTables(m_state);
    const std::pair<const char *, const LoadedTable *> program[] = {
        {"Stolb", &m_state.Stolb}, {"Konstanty", &m_state.Konstanty}, {"Pechat", &m_state.Pechat}};
    for (const auto &[name, table] : program)
        if (!table->Loaded)
            names.emplace_back(name);
    QString text;
    for (const std::string &name : names)
        text += (text.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromStdString(name);
    StatusMissing->setText(QString::fromUtf8("Не загружены: ") + text);
    StatusMissing->setAccessibleName(StatusMissing->text());
    StatusMissing->setVisible(!names.empty());
}

QColor TForm1::StringGrid1DrawCell(int row) const
{
    // Painting must never fail: a row whose code cannot be resolved is drawn as not dismissed.
    const QColor face = palette().color(QPalette::Button);
    if (row < 1 || row >= static_cast<int>(m_rowMainRecords.size())
        || row >= static_cast<int>(m_rowCodes.size()))
        return face;
    int rec = m_rowMainRecords[row];
    const LoadedTable &main = m_state.Osnova;
    const int kod = FieldIndex(main.Header, schema::KOD);
    const std::string &code = m_rowCodes[row];
    // The table may have changed since the fill: check the remembered record still has the code.
    if (rec == 0 || GetField(main.Header, main.Data, rec, kod) != code) {
        int32_t n = 0;
        rec = tryStrToInt(code, n) ? nomerstrokipokodu(main.Header, main.Data, n) : 0;
        const_cast<TForm1 *>(this)->m_rowMainRecords[row] = rec;
    }
    return isDismissed(m_state, rec) ? QColor(255, 0, 0) : face;
}

bool TForm1::rowDismissed(int row) const
{
    return StringGrid1DrawCell(row) == QColor(255, 0, 0);
}

void TForm1::StringGrid1SelectCell(int, int row)
{
    AppState &s = m_state;
    // The row's code as the list shows it; the code list is parsed only before the first fill.
    const std::string code = row >= 1 && row < static_cast<int>(m_rowCodes.size())
                                 ? m_rowCodes[row]
                                 : nthCode(effectiveCodeList(s, s.CurrentCodeList), row);
    const CurrentRecords cur = currentRecordsOf(s, code);
    s.CurMainRec = cur.main;
    s.CurPassportRec = cur.passport;
    s.CurTrudRec = cur.trud;
    s.CurDopolnRec = cur.dopoln;
    if (s.Osnova.Header.RecordCount <= 0)
        return;
    m_currentCode = cur.main > 0 ? code : std::string();
    // Called directly (by the preview toggle or another window) the highlighted row follows.
    if (row >= 1 && row < StringGrid1->RowCount()
        && (StringGrid1->Row() != row
            || !StringGrid1->selectionModel()->isRowSelected(row - StringGrid1->FixedRows())))
        StringGrid1->setRowSilently(row, true);
    StatusPanel0->setText(toQ(statusText(row, StringGrid1->RowCount() - 1)));
    if (!previewVisible())
        return;
    const PreviewTexts p = previewOf(s, s.CurMainRec);
    setPreviewText(StaticText1, toQ(p.name));
    setPreviewText(StaticText2, toQ(p.position));
    setPreviewText(StaticText3, toQ(p.salary));
    setPreviewText(StaticText4, toQ(p.department));
    showPhoto(p.photoPath);
}

void TForm1::setPreviewText(QLabel *label, const QString &text)
{
    label->setText(text);
    // A text can be reached from the keyboard and read aloud; an empty label is no Tab stop.
    label->setFocusPolicy(text.trimmed().isEmpty() ? Qt::NoFocus : Qt::TabFocus);
}

void TForm1::showPhoto(const std::string &path)
{
    const std::filesystem::path noPhoto = m_state.programFile("nonFoto.bmp");
    auto showNoPhoto = [&] {
        try {
            Foto1->setPixmap(QPixmap::fromImage(loadPicture(noPhoto)));
        } catch (const std::exception &) {
            Foto1->clear();
        }
    };
    if (path.empty()) {
        showNoPhoto();
        return;
    }
    try {
        Foto1->setPixmap(QPixmap::fromImage(loadPicture(pathFromCp1251(path))));
    } catch (...) {
        showNoPhoto();
        throw;
    }
}

void TForm1::showCardWindow()
{
    if (!m_links.Form2)
        return;
    m_links.Form2->show();
    m_links.Form2->raise();
    m_links.Form2->activateWindow();
}

void TForm1::N1_10Click()
{
    if (m_state.InterfaceMode != 0)
        return;
    if (EmployeeCard *c = card(); c && !c->openFor(m_currentCode, false)) {
        // The clerk stays with the card's employee: the list shows him too.
        makeCurrent(c->openCode());
        showCardWindow();
        return;
    }
    showCardWindow();
}

void TForm1::StringGrid1DblClick()
{
    if (m_state.Osnova.Header.RecordCount > 0)
        N1_10->trigger();
    else
        N1_4->trigger();
}

void TForm1::N1_4Click()
{
    if (!m_state.TablesLoaded)
        throw FileError("Базы не загружены. Настройте программу.");
    // The card open for someone else is settled first: it is about to show the new employee.
    if (EmployeeCard *c = card(); c && !c->settleUnsavedEdits())
        return;
    m_state.CurrentCodeList = "-1";
    const int code = appendNewEmployee(m_state);
    m_state.PendingNewEmployee = intToStr(code);
    StringGrid1->show();
    zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    setWindowTitle(QString::fromUtf8("Перечень сотрудников"));
    if (m_links.Form2)
        m_links.Form2->setWindowTitle(QString::fromUtf8("Карточка нового сотрудника"));
    StringGrid1->setRow(StringGrid1->RowCount() - 1);
    if (EmployeeCard *c = card())
        c->openFor(intToStr(code), true);
    showCardWindow();
}

void TForm1::N1_9Click()
{
    if (m_currentCode.empty() || m_state.Osnova.Header.RecordCount <= 0) {
        Dialogs::message(QString::fromUtf8("Сотрудник не выбран: удалять некого. "
                                           "Выберите сотрудника в перечне."),
                         this);
        return;
    }
    if (!Dialogs::question(QString::fromUtf8(
                               "Вы уверены, что хотите удалить эту запись??? Востановить её не удасться"),
                           this))
        return;
    deleteEmployee(m_state, m_currentCode);
    if (m_state.Osnova.Header.RecordCount <= 0) {
        StringGrid1->hide();
        clearCurrentEmployee();
    } else {
        zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    }
}

void TForm1::N1_5Click()
{
    if (m_state.MainTablePath.empty())
        return;
    if (!settleBeforeReading())
        return;
    try {
        showOpeningReport(reloadListTables(m_state));
        announceReadAnew(m_state, "таблицы перечитаны с диска");
    } catch (...) {
        announceReadAnew(m_state, "таблицы перечитаны с диска");
        // The tables read so far replace the old ones: the list shows them, and the status bar
        // names what is missing, before the error is shown.
        showMissingTables();
        runGuarded(this, [this] { zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList); });
        throw;
    }
    showMissingTables();
    m_state.CurrentCodeList = "-1";
    zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    setWindowTitle(QString::fromUtf8("Перечень сотрудников"));
}

void TForm1::N2_9Click()
{
    if (previewVisible()) {
        Panel1->hide();
        N2_9->setText(QString::fromUtf8(ShowPreviewCaption));
        return;
    }
    Panel1->show();
    N2_9->setText(QString::fromUtf8(HidePreviewCaption));
    if (StringGrid1->RowCount() > 1)
        StringGrid1->setRow(1);
    else
        StringGrid1SelectCell(1, 1);
}

void TForm1::N2_5Click()
{
    if (!Dialogs::question(QString::fromUtf8("Вы хотите произвести архивирование"), this))
        return;
    // The archiver runs on its own; its end, good or bad, is told when it comes.
    auto done = [this](bool ok, const QString &text) {
        statusBar()->showMessage(text, ok ? 15000 : 0);
        if (!ok)
            Dialogs::error(text, this);
    };
    // A server database is archived by pg_dump into the program folder.
    if (const auto *server = dynamic_cast<const PgStorage *>(m_state.Storage.get())) {
        if (!startServerArchive(server->connectionInfo(), server->connectionPassword(), m_state.ProgramFolder,
                                QDate::currentDate(), this, done))
            Dialogs::message(QString::fromUtf8("Немогу выполнить архивирование: не найдена программа pg_dump"), this);
        return;
    }
    if (!startArchive(m_state.databaseFolder(), QDate::currentDate(), this, done))
        Dialogs::message(QString::fromUtf8("Немогу выполнить архивирование!"), this);
}

void TForm1::N2_2Click()
{
    if (!Dialogs::question(QString::fromUtf8("Вы уверены, что хотите перевести базу в WIN кодировку"), this))
        return;
    // The main table is converted whole and may be read back: nothing typed or pending may
    // be in it.
    if (!settleBeforeReading())
        return;
    convertMainTableFromDos(m_state);
    zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    if (Dialogs::question(QString::fromUtf8("Вы уверены, что хотите сохранить новую кодировку"), this)) {
        try {
            saveMainTable(m_state);
            return;
        } catch (...) {
            // Not saved: the list goes back to the table as it is on disk, or running the
            // command again would convert the converted text a second time.
            rereadMainTable(m_state);
            announceReadAnew(m_state, "основная таблица перечитана");
            zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
            throw;
        }
    }
    rereadMainTable(m_state);
    announceReadAnew(m_state, "основная таблица перечитана");
    zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
}

void TForm1::N3_2Click()
{
    const std::filesystem::path guide = m_state.programFile("Help.doc");
    const QString path = pathToQString(guide);
    if (!fileExists(guide)) {
        Dialogs::message(QString::fromUtf8("Руководство пользователя «Help.doc» не найдено в папке программы:\n") +
                             pathToQString(guide.parent_path()) +
                             QString::fromUtf8("\n\nВерните файл из дистрибутива программы."),
                         this);
        return;
    }
    if (!Dialogs::openWithApplication(path))
        Dialogs::message(QString::fromUtf8("Не удалось открыть руководство пользователя:\n") + path +
                             QString::fromUtf8("\n\nОткрыть его нечем: установите программу, которая открывает "
                                               "документы RTF (Word или LibreOffice Writer)."),
                         this);
}

void TForm1::N4Click()
{
    close();
}

void TForm1::N5Show()
{
    if (m_state.DocumentsMenuBuilt)
        return;
    m_state.DocumentsMenuBuilt = true;
    const LoadedTable &pechat = m_state.Pechat;
    const int shablon = FieldIndex(pechat.Header, "SHABLON");
    for (int i = 1; i <= pechat.Header.RecordCount; ++i) {
        // A template's name is shown as it is: an ampersand in it is no letter marker.
        QAction *item = N5->addAction(toQ(GetField(pechat.Header, pechat.Data, i, shablon)).replace('&', "&&"));
        item->setData(i);
        item->setObjectName(QString("N5_template%1").arg(i));
        connect(item, &QAction::triggered, this, guarded(this, [this, i] {
                    // Nothing is current after a new employee was cancelled: the highlighted row is.
                    if (m_state.CurMainRec <= 0 && StringGrid1->Row() >= 1)
                        StringGrid1SelectCell(1, StringGrid1->Row());
                    if (m_links.printTemplate)
                        m_links.printTemplate(i);
                }));
    }
    assignMenuMnemonics(N5);
}

void TForm1::N5_1Click()
{
    printEmployeeList(m_state, StringGrid1->ColCount(), StringGrid1->RowCount(),
                      [this](int col, int row) -> const std::string & { return StringGrid1->Cell(col, row); });
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Typed work in the other windows is settled before anything else: saved, dropped, or the
    // program stays open.
    if (m_state.Notifier && !m_state.Notifier->settleUnsavedWork()) {
        event->ignore();
        return;
    }
    if (m_state.RecordsDeleted
        && Dialogs::question(QString::fromUtf8("Не смотря на все предупреждения, вы все-таки хотите, "
                                               "чтобы удалённые записи исчезли???"),
                             this)) {
        // A failed write keeps the window open: the deletions are not lost and the user can retry.
        if (!runGuarded(this, [this] { writeTablesAfterDeletion(m_state); })) {
            event->ignore();
            return;
        }
    }
    event->accept();
    rememberPlace(this);
    m_closing = true;
    for (QWidget *w : {m_links.Form2, m_links.Form3, m_links.Form4})
        if (w)
            w->close();
    QApplication::quit();
}

void TForm1::setLinks(FormLinks links)
{
    for (QWidget *w : {m_links.Form2, m_links.Form3, m_links.Form4})
        if (w)
            w->removeEventFilter(this);
    m_links = std::move(links);
    for (QWidget *w : {m_links.Form2, m_links.Form3, m_links.Form4})
        if (w)
            w->installEventFilter(this);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && !m_closing
        && (watched == m_links.Form2 || watched == m_links.Form3 || watched == m_links.Form4))
        focusList();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::focusList()
{
    if (StringGrid1->isHidden())
        return;
    if (const int row = rowOfCode(m_currentCode); row > 0 && StringGrid1->Row() != row)
        StringGrid1->setRowSilently(row, true);
    activateWindow();
    StringGrid1->setFocus(Qt::OtherFocusReason);
}

} // namespace veltor
