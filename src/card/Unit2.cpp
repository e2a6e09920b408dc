#include "card/Unit2.h"

#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/Mnemonics.h"
#include "app/QtText.h"
#include "records/Startup.h"
#include "app/StringGrid.h"
#include "app/WindowSupport.h"
#include "app/Unit1.h"
#include "card/CardCommands.h"
#include "card/CardDataChecks.h"
#include "card/CardWidgets.h"
#include "card/EducationEditor.h"
#include "card/ExtraPage.h"
#include "card/FamilyEditor.h"
#include "card/HrPage.h"
#include "card/MainPage.h"
#include "card/ParamsPage.h"
#include "documents/TemplatePrinting.h"
#include "records/Commit.h"
#include "storage/Schema.h"
#include "text/Errors.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRadioButton>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

const char *const CardCaption = "Карточка сотрудника";
const char *const NewCardCaption = "Карточка нового сотрудника";

} // namespace

TForm2::TForm2(AppState &state, TForm1 &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_state(state), m_main(mainWindow)
{
    setObjectName("Form2");
    announceAsWindow(this);
    setWindowTitle(u(CardCaption));
    createControls();
    // Other windows' commits reach the card: unchanged, it shows the records as they are now;
    // holding edits, its save is refused by the versions it read.
    connect(m_state.Notifier.get(), &ChangeNotifier::committed, this,
            [this](const RecordChange &change) { runGuarded(this, [&] { changeCommitted(change); }); });
    connect(m_state.Notifier.get(), &ChangeNotifier::readAnew, this,
            [this] { runGuarded(this, [this] { tablesReadAnew(); }); });
    m_state.Notifier->addUnsavedWork(this, [this] { return settleUnsavedEdits(); });
}

void TForm2::createControls()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    // A fixed single border: the window keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    OsnovnList = new TCardMainPage(m_state, PageControl1);
    DopList = new TCardExtraPage(m_state, PageControl1);
    KadrList = new TCardHrPage(m_state, PageControl1);
    Dopolnitelno = new TCardParamsPage(PageControl1);
    Dopolnitelno->limitInputs(m_state.Dopoln);
    PageControl1->addTab(OsnovnList, u("Основные параметры"));
    PageControl1->addTab(DopList, u("Дополнительные сведения"));
    PageControl1->addTab(KadrList, u("Кадровые сведения"));
    PageControl1->addTab(Dopolnitelno, u("Дополнительно"));
    PageControl1->setMinimumSize(760, 560);
    layout->addWidget(PageControl1);

    KadrList->setDismissedBox(OsnovnList->CheckBox1);
    DopList->Family->setRegistrationAddress([this] { return OsnovnList->Edit6->text(); });

    auto *bottom = new QHBoxLayout;
    auto button = [this](QPushButton *&b, const char *name, const char *caption) {
        b = new QPushButton(u(caption), this);
        b->setObjectName(QString::fromLatin1(name));
    };
    button(Button2, "Button2", "&Сохранить");
    // Rare letters for the row below the pages, so the pages keep the common ones.
    button(Button3, "Button3", "От&мена");
    button(Button1, "Button1", "Распе&чатка документов");
    button(Button5, "Button5", "Кадровые прика&зы");
    SegodnjaData = createDatePicker(this, "SegodnjaData");
    SegodnjaData->setToolTip(u("Изменения будут записаны на эту дату"));
    SegodnjaData->setAccessibleDescription(u("Изменения будут записаны на эту дату"));
    LabelSegodnja = new QLabel(u("&Дата изменений"), this);
    LabelSegodnja->setObjectName("LabelSegodnja");
    LabelSegodnja->setToolTip(SegodnjaData->toolTip());
    LabelSegodnja->setBuddy(SegodnjaData);
    SegodnjaData->setAccessibleName(accessibleLabel(LabelSegodnja->text()));
    ProgressBarPech = new QProgressBar(this);
    ProgressBarPech->setObjectName("ProgressBarPech");
    ProgressBarPech->setAccessibleName(u("Печать документа"));
    ProgressBarPech->setMaximumWidth(160);
    ProgressBarPech->hide();
    button(ButPechat, "ButPechat", "ButPechat");
    button(ButKadr, "ButKadr", "ButKadr");
    ButPechat->hide();
    ButKadr->hide();
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName("PopupMenu");

    bottom->addWidget(Button2);
    bottom->addWidget(Button3);
    bottom->addSpacing(16);
    bottom->addWidget(LabelSegodnja);
    bottom->addWidget(SegodnjaData);
    bottom->addStretch(1);
    bottom->addWidget(ProgressBarPech);
    bottom->addWidget(Button1);
    bottom->addWidget(Button5);
    layout->addLayout(bottom);
    // Notes about refused input appear here, where they do not take the focus.
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setAccessibleName(u("Строка состояния"));
    StatusBar->setSizeGripEnabled(false);
    layout->addWidget(StatusBar);
    Button2->setDefault(false);
    Button2->setAutoDefault(false);
    arrangeTabOrder();
    assignCardMnemonics();
    // Ctrl+S saves as the button does. The button takes the keyboard first, as a click would,
    // so a date or number still being typed is taken before the card is read.
    auto *save = new QShortcut(QKeySequence::Save, this);
    save->setObjectName("SaveShortcut");
    save->setContext(Qt::WindowShortcut);
    connect(save, &QShortcut::activated, this, [this] {
        if (!Button2->isEnabled() || !Button2->isVisible())
            return;
        Button2->setFocus(Qt::ShortcutFocusReason);
        Button2->click();
    });

    connect(Button2, &QPushButton::clicked, this, guarded(this, [this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(this, [this] { Button3Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(this, [this] { Button1Click(); }));
    connect(Button5, &QPushButton::clicked, this, guarded(this, [this] { Button5Click(); }));
    connect(OsnovnList->Button4, &QPushButton::clicked, this, guarded(this, [this] { Button4Click(); }));
}

void TForm2::arrangeTabOrder()
{
    // Tab follows the eye: the photo stands at the right of the name's line; the name forms
    // open below that line and the history below its button, over fields Tab then skips.
    TCardMainPage &main = *OsnovnList;
    setTabOrder(main.Button6, main.Foto2);
    setTabOrder(main.Foto2, main.Edit16);
    setTabOrder(main.Edit16, main.Edit17);
    setTabOrder(main.Edit17, main.Edit2);
    setTabOrder(KadrList->Button19, KadrList->StringGrid2);
    // The bottom row, left to right.
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, SegodnjaData);
    setTabOrder(SegodnjaData, Button1);
    setTabOrder(Button1, Button5);
    // The last control of the pages, after which the bottom row closes every page but the first.
    for (QWidget *w = Button2->previousInFocusChain(); w && w != Button2; w = w->previousInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && PageControl1->isAncestorOf(w)) {
            m_lastPageControl = w;
            break;
        }
    }
    placeBottomRowInTabChain();
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { placeBottomRowInTabChain(); });
}

void TForm2::placeBottomRowInTabChain()
{
    // On the first page the row follows the employee's main data, so "Сохранить" is a few Tabs
    // from the name and the passport data come after the row; on the other pages it closes the
    // page.
    QWidget *after = PageControl1->currentIndex() == 0 ? static_cast<QWidget *>(OsnovnList->RadioGroup1->button(1))
                                                       : m_lastPageControl;
    if (!after)
        return;
    QWidget *previous = after;
    for (QWidget *w : {static_cast<QWidget *>(Button2), static_cast<QWidget *>(Button3),
                       static_cast<QWidget *>(SegodnjaData), static_cast<QWidget *>(Button1),
                       static_cast<QWidget *>(Button5)}) {
        setTabOrder(previous, w);
        previous = w;
    }
}

void TForm2::assignCardMnemonics()
{
    // The row below the pages is always shown: its letters are taken on every page. The
    // hidden print and order buttons only serve the pop-up menus.
    const QSet<QChar> always = assignMnemonics({Button2, Button3, LabelSegodnja, Button1, Button5});
    // The name forms and the family and education editors open over their page and what they
    // cover is out of reach meanwhile: each chooses its letters apart from the page beneath,
    // or a page of many fields would run out of letters.
    const QList<QWidget *> overlays = {OsnovnList->GroupBox3, DopList->Family->GroupBox4,
                                       DopList->PanelObraz->GroupBox2};
    for (QWidget *page : {static_cast<QWidget *>(OsnovnList), static_cast<QWidget *>(DopList),
                          static_cast<QWidget *>(KadrList), static_cast<QWidget *>(Dopolnitelno)}) {
        QList<QWidget *> own;
        for (QWidget *w : mnemonicCandidates(page))
            if (std::none_of(overlays.begin(), overlays.end(), [w](QWidget *o) { return o->isAncestorOf(w); }))
                own.push_back(w);
        assignMnemonics(own, always);
    }
    for (QWidget *overlay : overlays)
        assignMnemonics(mnemonicCandidates(overlay), always);
}

bool TForm2::newCardMode() const { return m_mode == CardMode::NewEmployee; }

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    placeOnScreen(this);
    runGuarded(this, [this] { FormShow(); });
}

void TForm2::FormShow()
{
    setPickerDate(*SegodnjaData, today());
    PageControl1->setCurrentIndex(0);
    // The main window says which mode through openFor; a card shown otherwise goes by the
    // caption it was given.
    m_mode = m_requestedMode.value_or(windowTitle() == u(NewCardCaption) ? CardMode::NewEmployee : CardMode::Existing);
    setWindowTitle(u(m_mode == CardMode::NewEmployee ? NewCardCaption : CardCaption));
    m_loaded = false;
    setWritable(false);
    try {
        fillControls();
    } catch (...) {
        // Half-filled controls would mix this employee with the one shown before, and a save
        // would store the mixture: the card shows nobody instead, and cannot save.
        showNoEmployee();
        throw;
    }
    setWritable(m_loaded);
    if (!m_shown.unreadable.empty()) {
        Dialogs::message(QString::fromStdString(unreadableValuesMessage(m_shown.unreadable, m_shown.fio, m_code)),
                         this);
    }
    // The photo comes last: an unreadable picture leaves every other control filled.
    OsnovnList->showPhoto();
}

void TForm2::fillControls()
{
    const CardRecords records =
        m_requested.empty() ? cardRecordsFromGlobals(m_state) : cardRecordsOfCode(m_state, m_requested);
    // Everything is read before any control changes; a conversion error stops here.
    CardValues values = loadCardValues(m_state, records, today());
    m_code = records.code;
    OsnovnList->fill(values);
    DopList->Family->setEmployee(m_code);
    DopList->Family->zapolnenietablitsySemja();
    DopList->fill(values);
    DopList->PanelObraz->setEmployee(m_code);
    DopList->PanelObraz->zapolnenietablitsyObraz();
    KadrList->fill(values);
    KadrList->zapolnenietablitsyIstorii(m_code, values.dismissalShown);
    Dopolnitelno->fill(values.extraNames, values.extraValues);
    m_shown = std::move(values);
    m_loaded = records.main > 0;
    int32_t code = 0;
    m_stamp = m_state.Versions.stamp({}, tryStrToInt(m_code, code) ? std::set<int32_t>{code} : std::set<int32_t>{});
}

void TForm2::showNoEmployee()
{
    m_code.clear();
    m_shown = CardValues();
    m_loaded = false;
    OsnovnList->clear();
    DopList->Family->setEmployee(m_code);
    DopList->Family->zapolnenietablitsySemja();
    DopList->fill(m_shown);
    DopList->PanelObraz->setEmployee(m_code);
    DopList->PanelObraz->zapolnenietablitsyObraz();
    KadrList->fill(m_shown);
    KadrList->zapolnenietablitsyIstorii(m_code, false);
    Dopolnitelno->fill({}, {});
    setWritable(false);
}

void TForm2::setWritable(bool on)
{
    // A database open read-only saves nothing.
    on = on && !m_state.ReadOnly;
    Button2->setEnabled(on);
    KadrList->Button13->setEnabled(on);
    DopList->Family->setWritable(on);
    DopList->PanelObraz->setWritable(on);
}

void TForm2::FormClose()
{
    m_requested.clear();
    m_requestedMode.reset();
    m_mode = CardMode::Existing;
    setWindowTitle(u(CardCaption));
    DopList->PanelObraz->closeEditor();
    OsnovnList->hideNameForms();
    // The family editor hides the education panel while open; closing brings the panel back.
    DopList->Family->closeEditor();
    KadrList->hideHistory();
    DopList->GroupBox6->hide();
    setWritable(m_loaded);
}

void TForm2::closeEvent(QCloseEvent *event)
{
    // Esc, Alt+F4 and the title bar's button come here: typed work is not dropped unasked.
    if (!m_closingQuietly && isVisible() && !settleUnsavedEdits()) {
        event->ignore();
        return;
    }
    rememberPlace(this);
    runGuarded(this, [this] { FormClose(); });
    event->accept();
}

void TForm2::closeQuietly()
{
    m_closingQuietly = true;
    close();
    m_closingQuietly = false;
}

bool TForm2::hasUnsavedEdits() const
{
    if (!m_loaded || m_state.ReadOnly)
        return false;
    if (newCardMode() || KadrList->statusChangePending())
        return true;
    // A family member or an education entry typed in its editor and not yet taken with "О К".
    if (!DopList->Family->GroupBox4->isHidden() || !DopList->PanelObraz->GroupBox2->isHidden())
        return true;
    // Family and education entries wait in their tables for the card's save.
    for (const LoadedTable *t : {&m_state.Semja, &m_state.Obraz})
        if (t->Changes.tracking && HasChanges(*t) && t->Changes.codes.count(m_code))
            return true;
    return !(readControls().values == m_shown);
}

bool TForm2::settleUnsavedEdits()
{
    if (!isVisible() || !hasUnsavedEdits())
        return true;
    raise();
    const QString who = m_shown.fio.empty() ? u("нового сотрудника") : toQ(m_shown.fio);
    switch (Dialogs::askToSave(u("Карточка сотрудника ") + who + u(" изменена. Сохранить изменения?"), this)) {
    case Dialogs::SaveChoice::Save:
        return saveCard();
    case Dialogs::SaveChoice::Drop:
        dropEdits();
        return true;
    case Dialogs::SaveChoice::Cancel:
        break;
    }
    return false;
}

void TForm2::dropEdits()
{
    DopList->Family->closeEditor();
    DopList->PanelObraz->closeEditor();
    if (newCardMode()) {
        removeNewEmployee();
    } else if (!m_state.RecordsDeleted) {
        // Only the card changes these two tables between saves (a confirmed deletion aside,
        // which then rides with them and is not taken back here).
        for (LoadedTable *t : {&m_state.Semja, &m_state.Obraz})
            if (t->Changes.tracking && HasChanges(*t))
                RevertChanges(*t);
    }
    KadrList->setStatusChangePending(false);
    m_loaded = false;
    // What the card shows is what the tables hold again.
    if (!m_code.empty() && !newCardMode()) {
        m_requested = m_code;
        runGuarded(this, [this] { FormShow(); });
    }
}

bool TForm2::openFor(const std::string &code, bool asNewEmployee)
{
    const bool sameEmployee = code == m_code && asNewEmployee == newCardMode();
    if (isVisible() && sameEmployee && m_loaded)
        return true;
    if (isVisible() && !settleUnsavedEdits())
        return false;
    m_requested = code;
    m_requestedMode = asNewEmployee ? CardMode::NewEmployee : CardMode::Existing;
    setWindowTitle(u(asNewEmployee ? NewCardCaption : CardCaption));
    // show() fills a hidden card; an open one is filled here.
    if (isVisible())
        runGuarded(this, [this] { FormShow(); });
    return true;
}

void TForm2::changeCommitted(const RecordChange &change)
{
    if (!isVisible() || !m_loaded || change.origin == this)
        return;
    int32_t code = 0;
    const bool aboutThisEmployee = tryStrToInt(m_code, code) && change.codes.count(code) > 0;
    const bool referenceLists = change.tables.count("otdel.dbf") > 0 || change.tables.count("dolzh.dbf") > 0;
    if (!aboutThisEmployee && !referenceLists)
        return;
    // A card with edits keeps them; its save will say what changed meanwhile.
    if (hasUnsavedEdits())
        return;
    const int page = PageControl1->currentIndex();
    m_requested = m_code;
    FormShow();
    PageControl1->setCurrentIndex(page);
}

void TForm2::tablesReadAnew()
{
    // Whatever was unsaved was settled before the reading. The records the card showed may
    // belong to another database now: it closes rather than show them.
    if (isVisible())
        closeQuietly();
}

void TForm2::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        FormKeyPress(27);
        return;
    }
    QWidget::keyPressEvent(event);
}

void TForm2::FormKeyPress(int key)
{
    if (key == 27)
        close();
}

CardSaveInput TForm2::readControls() const
{
    CardSaveInput input;
    input.values = m_shown;
    if (!m_chosenPosition.empty())
        input.values.positionNumber = m_chosenPosition;
    OsnovnList->read(input.values);
    DopList->read(input.values);
    KadrList->read(input.values);
    input.values.extraValues = Dopolnitelno->values();
    input.positionListShown = OsnovnList->positionListShown();
    input.statusChangePending = KadrList->statusChangePending();
    input.changeDate = pickerDate(*SegodnjaData);
    input.mode = m_mode;
    return input;
}

void TForm2::Button2Click()
{
    if (!saveCard())
        return;
    EmployeeListWindow &list = m_main;
    list.plainTitle();
    closeQuietly();
    // The commit's notice has refreshed the list's rows; a list hidden while it was empty is
    // filled now that it has an employee.
    if (!list.listShown())
        list.refill(m_state.CurrentCodeList);
}

bool TForm2::saveCard()
{
    if (!m_loaded)
        throw VeltorError("Карточка не заполнена: сохранять нечего");
    // A table that did not load at start-up would be written empty over its file: refuse the
    // whole save before anything changes, in memory or on disk.
    requireLoaded(m_state, {&m_state.Osnova, &m_state.Semja, &m_state.Passport, &m_state.Obraz,
                            &m_state.Trud, &m_state.Voen, &m_state.Dopoln});
    // "Сохранить" keeps everything typed, an entry still open in its editor included.
    if (!DopList->Family->GroupBox4->isHidden())
        DopList->Family->Button10Click();
    if (!DopList->PanelObraz->GroupBox2->isHidden())
        DopList->PanelObraz->Button17Click();
    const CardSaveInput input = readControls();
    if (!confirmCardData(m_state, m_code, input.values, this))
        return false;
    const bool wasNew = input.mode == CardMode::NewEmployee;
    try {
        const CardSaveResult result = storeCard(m_state, m_code, input);
        writeCardTables(m_state, m_code, CardCommit{m_stamp, this, wasNew});
        // The history now holds the pending dismissal or restoration.
        if (result.historyAdded)
            KadrList->setStatusChangePending(false);
    } catch (const StaleRecords &e) {
        // Nothing was written; the clerk may look at the records as they are now, or keep
        // the typed values on the screen to copy them.
        if (Dialogs::question(QString::fromUtf8(e.what()) +
                                  u("\n\nПоказать текущие данные? Введённое в карточке будет потеряно."),
                              this)) {
            dropEdits();
        }
        return false;
    }
    if (wasNew)
        m_state.PendingNewEmployee.clear();
    m_chosenPosition.clear();
    // The card now shows what is saved, on the versions its own commit made.
    m_shown = input.values;
    m_mode = CardMode::Existing;
    m_requestedMode = CardMode::Existing;
    setWindowTitle(u(CardCaption));
    int32_t code = 0;
    if (tryStrToInt(m_code, code))
        m_stamp = m_state.Versions.stamp({}, {code});
    return true;
}

void TForm2::Button3Click()
{
    if (newCardMode())
        removeNewEmployee();
    closeQuietly();
}

void TForm2::removeNewEmployee()
{
    const std::string code = m_code.empty() ? cardRecordsFromGlobals(m_state).code : m_code;
    const CardRecords current = cardRecordsFromGlobals(m_state);
    removeEmployeeRecords(m_state, code);
    if (m_state.PendingNewEmployee == code)
        m_state.PendingNewEmployee.clear();
    // The removed employee was the current one; nothing is current now.
    if (!code.empty() && current.code == code) {
        m_state.CurMainRec = 0;
        m_state.CurPassportRec = 0;
        m_state.CurTrudRec = 0;
        m_state.CurDopolnRec = 0;
    }
    m_code.clear();
    m_loaded = false;
    static_cast<EmployeeListWindow &>(m_main).refill(m_state.CurrentCodeList);
}

void TForm2::Button13Click() { KadrList->Button13Click(); }

void TForm2::Button19Click() { KadrList->Button19Click(); }

void TForm2::Button1Click()
{
    // One item per Pechat template, tagged with its record.
    PopupMenu->clear();
    const LoadedTable &pechat = m_state.Pechat;
    const int name = FieldIndex(pechat.Header, schema::SHABLON);
    for (int r = 1; r <= pechat.Header.RecordCount; ++r) {
        QAction *item = PopupMenu->addAction(toQ(GetField(pechat.Header, pechat.Data, r, name)));
        item->setData(r);
        // The card's own employee, even when the list's current row has moved meanwhile.
        connect(item, &QAction::triggered, this, guarded(this, [this, r] {
                    printForCardEmployee(m_state, m_code, r, progressOn(ProgressBarPech));
                }));
    }
    popupBelow(PopupMenu, Button1);
}

void TForm2::Button4Click()
{
    const auto &choose = m_main.links().choosePosition;
    if (choose)
        choose([this](int record) { positionChosen(record); });
}

void TForm2::positionChosen(int dolzhRecord)
{
    LoadedTable &dolzh = m_state.Dolzh;
    if (dolzhRecord < 1 || dolzhRecord > dolzh.Header.RecordCount)
        return;
    // Kept by the card until it is saved: the main table changes only with the save.
    m_chosenPosition = GetField(dolzh.Header, dolzh.Data, dolzhRecord, FieldIndex(dolzh.Header, schema::NOM));
    OsnovnList->Edit2->setText(toQ(GetField(dolzh.Header, dolzh.Data, dolzhRecord, FieldIndex(dolzh.Header, schema::DOLZH))));
}

void TForm2::Button5Click()
{
    // One item per HR order kind, tagged with its TipDok.dbf record.
    PopupMenu->clear();
    const LoadedTable &kinds = m_state.TipDok;
    const int category = FieldIndex(kinds.Header, schema::TIP_UCH), name = FieldIndex(kinds.Header, schema::NAZ_DOK);
    for (int r = 1; r <= kinds.Header.RecordCount; ++r) {
        if (GetField(kinds.Header, kinds.Data, r, category) != schema::TipUchHrOrder)
            continue;
        QAction *item = PopupMenu->addAction(toQ(GetField(kinds.Header, kinds.Data, r, name)));
        item->setData(r);
        connect(item, &QAction::triggered, this, guarded(this, [this, r] { ButKadrClick(r); }));
    }
    popupBelow(PopupMenu, Button5);
}

void TForm2::ButPechatClick(int tag)
{
    if (tag <= 0)
        return;
    // The documents menu of the main window prints for the list's current employee.
    if (m_state.CurMainRec <= 0 || m_state.CurMainRec > m_state.Osnova.Header.RecordCount) {
        Dialogs::message(u("Выберите сотрудника в перечне."), this);
        return;
    }
    printPechatTemplate(m_state, tag, progressOn(ProgressBarPech));
}

void TForm2::ButKadrClick(int tag)
{
    auto *orders = dynamic_cast<OrdersWindow *>(m_main.links().Form4);
    if (!orders)
        return;
    // An order is written for saved records: edits are saved or dropped first, and a new
    // employee dropped leaves nobody to write it for.
    if (!settleUnsavedEdits())
        return;
    if (!m_loaded) {
        closeQuietly();
        return;
    }
    // The employee this card shows, by code: the list's current row may have moved since.
    orders->openOrderFor(tag, m_code);
    closeQuietly();
}

} // namespace veltor
