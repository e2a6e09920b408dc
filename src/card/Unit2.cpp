#include "card/Unit2.h"

#include "app/DatePicker.h"
#include "app/Dialogs.h"
#include "app/Guard.h"
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
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

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
    button(Button2, "Button2", "Сохранить");
    button(Button3, "Button3", "Отмена");
    button(Button1, "Button1", "Распечатка документов");
    button(Button5, "Button5", "Кадровые приказы");
    SegodnjaData = createDatePicker(this, "SegodnjaData");
    SegodnjaData->setToolTip(u("Изменения будут записаны на эту дату"));
    SegodnjaData->setAccessibleDescription(u("Изменения будут записаны на эту дату"));
    LabelSegodnja = new QLabel(u("Дата изменений"), this);
    LabelSegodnja->setObjectName("LabelSegodnja");
    LabelSegodnja->setToolTip(SegodnjaData->toolTip());
    LabelSegodnja->setBuddy(SegodnjaData);
    SegodnjaData->setAccessibleName(LabelSegodnja->text());
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
}

bool TForm2::newCardMode() const { return m_shownAsNew && windowTitle() == u(NewCardCaption); }

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    centreOnScreen(this);
    runGuarded(this, [this] { FormShow(); });
}

void TForm2::FormShow()
{
    setPickerDate(*SegodnjaData, today());
    PageControl1->setCurrentIndex(0);
    m_shownAsNew = windowTitle() == u(NewCardCaption);
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
    const CardRecords records = cardRecordsFromGlobals(m_state);
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
    runGuarded(this, [this] { FormClose(); });
    event->accept();
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
    OsnovnList->read(input.values);
    DopList->read(input.values);
    KadrList->read(input.values);
    input.values.extraValues = Dopolnitelno->values();
    input.positionListShown = OsnovnList->positionListShown();
    input.statusChangePending = KadrList->statusChangePending();
    input.changeDate = pickerDate(*SegodnjaData);
    input.mode = newCardMode() ? CardMode::NewEmployee : CardMode::Existing;
    return input;
}

void TForm2::Button2Click()
{
    if (!m_loaded)
        throw VeltorError("Карточка не заполнена: сохранять нечего");
    // A table that did not load at start-up would be written empty over its file: refuse the
    // whole save before anything changes, in memory or on disk.
    requireLoaded(m_state, {&m_state.Osnova, &m_state.Semja, &m_state.Passport, &m_state.Obraz,
                            &m_state.Trud, &m_state.Voen, &m_state.Dopoln});
    const CardSaveInput input = readControls();
    if (!confirmCardData(m_state, m_code, input.values, this))
        return;
    const CardSaveResult result = storeCard(m_state, m_code, input);
    // The history now holds the pending dismissal or restoration; saving again after a failed
    // write must not record it twice.
    if (result.historyAdded)
        KadrList->setStatusChangePending(false);
    writeCardTables(m_state, m_code);

    m_main.setWindowTitle(u("Перечень сотрудников"));
    close();
    m_main.StringGrid1->show();
    m_main.zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    m_main.StringGrid1->viewport()->update();
}

void TForm2::Button3Click()
{
    if (newCardMode()) {
        const std::string code = m_code.empty() ? cardRecordsFromGlobals(m_state).code : m_code;
        const CardRecords current = cardRecordsFromGlobals(m_state);
        removeEmployeeRecords(m_state, code);
        // The removed employee was the current one; nothing is current now.
        if (!code.empty() && current.code == code) {
            m_state.CurMainRec = 0;
            m_state.CurPassportRec = 0;
            m_state.CurTrudRec = 0;
            m_state.CurDopolnRec = 0;
        }
        m_main.zapolnenieOsnovnojTablitsy(m_state.CurrentCodeList);
    }
    close();
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
    // The card's own employee, found by code: the list's current row may have moved meanwhile.
    int32_t code = 0;
    const int record = tryStrToInt(m_code, code) ? nomerstrokipokodu(m_state.Osnova.Header, m_state.Osnova.Data, code) : 0;
    if (record < 1)
        throw VeltorError("Сотрудника этой карточки больше нет в базе: должность не изменена");
    const std::string number = GetField(dolzh.Header, dolzh.Data, dolzhRecord, FieldIndex(dolzh.Header, schema::NOM));
    SetField(m_state.Osnova, record, schema::DOLZH, number);
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
    QWidget *orders = m_main.links().Form4;
    if (!orders)
        return;
    // The employee this card shows: the list's current row may have moved since it opened.
    int32_t code = 0;
    const int record = tryStrToInt(m_code, code) ? nomerstrokipokodu(m_state.Osnova.Header, m_state.Osnova.Data, code) : 0;
    // The orders window lives in a library above the card: reached by its invokable opener.
    QMetaObject::invokeMethod(orders, "openOrderFor", Q_ARG(int, tag), Q_ARG(int, record));
    close();
}

} // namespace veltor
