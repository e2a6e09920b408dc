#include "listtools/Unit3.h"

#include <QPushButton>

#include "app/Dialogs.h"
#include "app/Guard.h"
#include "app/Mnemonics.h"
#include "app/Unit1.h"
#include "app/WindowSupport.h"
#include "listtools/FilterPanel.h"
#include "listtools/SearchPanel.h"
#include "listtools/SortPanel.h"
#include "listtools/SpravPanel.h"
#include "listtools/ObrabPanel.h"
#include "listtools/SettingsPanel.h"
#include "listtools/StolbPanel.h"
#include "records/Commit.h"
#include "records/Startup.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QHideEvent>
#include <QScreen>
#include <QTabBar>

namespace veltor {

namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TForm3::TForm3(AppState &state, TForm1 &mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_state(state), m_main(mainWindow)
{
    setObjectName("Form3");
    announceAsWindow(this);
    PanelPoisk = new TSearchPanel(*this);
    PanelSort = new TSortPanel(*this);
    PanelFiltr = new TFilterPanel(*this);
    PanelSprav = new TSpravPanel(*this);
    TabControl1 = PanelSprav->TabControl1;
    for (QWidget *panel : {static_cast<QWidget *>(PanelPoisk), static_cast<QWidget *>(PanelSort),
                           static_cast<QWidget *>(PanelFiltr), static_cast<QWidget *>(PanelSprav)})
        addPanel(panel);
    PanelNastr = new TSettingsPanel(*this);
    PanelAbout = new TAboutPanel(*this);
    PanelStolb = new TStolbPanel(*this);
    PanelObrab = new TObrabPanel(*this);
    for (QWidget *panel : {static_cast<QWidget *>(PanelNastr), static_cast<QWidget *>(PanelAbout),
                           static_cast<QWidget *>(PanelStolb), static_cast<QWidget *>(PanelObrab)})
        addPanel(panel);
    // The panels show one at a time: each one's buttons and labelled fields get underlined
    // letters unique within it (those a panel chose itself are kept); a page of the settings
    // needs letters unique only within itself and the tab titles.
    for (QWidget *panel : m_panels)
        assignWindowMnemonics(panel);

    m_state.Notifier->addUnsavedWork(this, [this] { return settleUnsavedWork(); });
    // Tables read anew (or another database): what the panels show belongs to the old ones.
    connect(m_state.Notifier.get(), &ChangeNotifier::readAnew, this, [this] {
        if (isVisible())
            hide();
    });
    // A panel without typed work shows what another window (or another clerk) saved: streaming
    // entry the employees' values, the reference lists and the settings their tables.
    connect(m_state.Notifier.get(), &ChangeNotifier::committed, this, [this](const RecordChange &change) {
        if (change.origin == this || isHidden() || hasUnsavedWork())
            return;
        const auto changed = [&](const LoadedTable &t) { return change.tables.count(tableKey(m_state, t)) > 0; };
        runGuarded(this, [&] {
            if (PanelObrab->isVisible())
                PanelObrab->prepare();
            else if (PanelSprav->isVisible() && changed(PanelSprav->showsDepartments() ? m_state.Otdel : m_state.Dolzh))
                PanelSprav->showCurrentRecords();
            else if (PanelNastr->isVisible() &&
                     (changed(m_state.Stolb) || changed(m_state.Konstanty) || changed(m_state.Pechat)))
                PanelNastr->prepare();
            else if (PanelStolb->isVisible() && changed(m_state.Stolb))
                PanelStolb->prepare();
        });
    });

    // The menu items and the tool-bar buttons that share their actions open the panels.
    connect(m_main.N1_1, &QAction::triggered, this, guarded(&m_main, [this] { N1_1Click(); }));
    connect(m_main.N1_2, &QAction::triggered, this, guarded(&m_main, [this] { N1_2Click(); }));
    connect(m_main.N1_3, &QAction::triggered, this, guarded(&m_main, [this] { N1_3Click(); }));
    connect(m_main.N1_6, &QAction::triggered, this, guarded(&m_main, [this] { N1_6Click(); }));
    connect(m_main.N1_7, &QAction::triggered, this, guarded(&m_main, [this] { N1_7Click(); }));
    connect(m_main.N1_8, &QAction::triggered, this, guarded(&m_main, [this] { N1_8Click(); }));
    connect(m_main.N2_1, &QAction::triggered, this, guarded(&m_main, [this] { N2_1Click(); }));
    connect(m_main.N2_3, &QAction::triggered, this, guarded(&m_main, [this] { N2_3Click(); }));
    connect(m_main.N2_4, &QAction::triggered, this, guarded(&m_main, [this] { N2_4Click(); }));
    connect(m_main.N2_7, &QAction::triggered, this, guarded(&m_main, [this] { N2_7Click(); }));
    connect(m_main.N3_1, &QAction::triggered, this, guarded(&m_main, [this] { N3_1Click(); }));
}

EmployeeListWindow &TForm3::list()
{
    return m_main;
}

std::vector<LoadedTable *> TForm3::tablesEditedInPlace() const
{
    // The settings, reference-list and column panels edit these tables in memory until their
    // "О К" commits them.
    return {&m_state.Stolb, &m_state.Konstanty, &m_state.Pechat, &m_state.Otdel, &m_state.Dolzh};
}

bool TForm3::hasUnsavedWork() const
{
    if (isHidden())
        return false;
    if (PanelObrab->isVisible() && PanelObrab->hasEnteredValues())
        return true;
    // A table never read has nothing of the clerk's to lose.
    for (const LoadedTable *t : tablesEditedInPlace())
        if (t->Changes.tracking && HasChanges(*t))
            return true;
    return false;
}

bool TForm3::settleUnsavedWork()
{
    if (!hasUnsavedWork())
        return true;
    raise();
    switch (Dialogs::askToSave(u("В окне «") + windowTitle() + u("» есть несохранённые изменения. Сохранить изменения?"),
                               this)) {
    case Dialogs::SaveChoice::Save:
        runGuarded(this, [this] {
            if (PanelObrab->isVisible())
                PanelObrab->Button17Click();
            else if (PanelNastr->isVisible())
                PanelNastr->Button4Click();
            else if (PanelSprav->isVisible())
                PanelSprav->Button10Click();
            else if (PanelStolb->isVisible())
                PanelStolb->Button15Click();
        });
        return !hasUnsavedWork();
    case Dialogs::SaveChoice::Drop:
        PanelObrab->dropEnteredValues();
        for (LoadedTable *t : tablesEditedInPlace())
            if (t->Changes.tracking && HasChanges(*t))
                RevertChanges(*t);
        m_state.ColumnSettings = columnSettingsFromStolb(m_state.Stolb);
        return true;
    case Dialogs::SaveChoice::Cancel:
        break;
    }
    return false;
}

void TForm3::closeEvent(QCloseEvent *event)
{
    // The window's own close and the title bar's button: typed work is not dropped unasked.
    if (!settleUnsavedWork()) {
        event->ignore();
        return;
    }
    rememberPlace(this);
    event->accept();
}

void TForm3::addPanel(QWidget *panel)
{
    panel->setParent(this);
    panel->hide();
    m_panels.push_back(panel);
}

void TForm3::placePanel(QWidget *panel)
{
    panel->adjustSize();
    setFixedSize(panel->size());
    panel->move(0, 0);
    for (QWidget *other : m_panels)
        if (other != panel)
            other->hide();
    panel->show();
    // Each panel has its own size: a larger one must not reach past the screen.
    if (isVisible())
        keepOnScreen(this);
}

void TForm3::showPanel(QWidget *panel, const QString &caption, const std::function<void()> &prepare)
{
    // Another panel in place of one with typed work: the work is settled first.
    if (!settleUnsavedWork())
        return;
    placePanel(panel);
    if (prepare)
        prepare();
    setWindowTitle(caption);
    show();
    raise();
    activateWindow();
    // The keyboard starts in the panel's first control.
    panel->setFocus(Qt::OtherFocusReason);
}

void TForm3::switchPanel(QWidget *panel, const QString &caption)
{
    placePanel(panel);
    setWindowTitle(caption);
    panel->setFocus(Qt::OtherFocusReason);
}

void TForm3::FormClose()
{
    for (QWidget *panel : m_panels)
        panel->hide();
    while (TabControl1->count() > 0)
        TabControl1->removeTab(0);
}

void TForm3::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    placeOnScreen(this);
    // A database open read-only takes no change from these panels.
    for (QWidget *save : {static_cast<QWidget *>(PanelObrab->Button17), static_cast<QWidget *>(PanelNastr->Button4),
                          static_cast<QWidget *>(PanelSprav->Button10), static_cast<QWidget *>(PanelStolb->Button15)})
        save->setEnabled(!m_state.ReadOnly);
}

void TForm3::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Minimising hides the window spontaneously; only a real close resets it.
    if (!event->spontaneous())
        FormClose();
}

void TForm3::N1_1Click()
{
    showPanel(PanelPoisk, u("Поиск"));
}

void TForm3::N1_2Click()
{
    showPanel(PanelSort, u("Сортировка"), [this] { PanelSort->prepare(); });
}

void TForm3::N1_3Click()
{
    showPanel(PanelFiltr, u("Фильтр"), [this] { PanelFiltr->prepare(); });
}

void TForm3::N1_6Click()
{
    N1_3Click();
    PanelFiltr->showWorking(true);
}

void TForm3::N1_7Click()
{
    N1_3Click();
    PanelFiltr->showWorking(false);
}

void TForm3::N1_8Click()
{
    showPanel(PanelObrab, u("Общая обработка"), [this] { PanelObrab->prepare(); });
}

void TForm3::N2_1Click()
{
    showPanel(PanelNastr, u("Параметры программы"), [this] { PanelNastr->prepare(); });
}

void TForm3::N2_3Click()
{
    showPanel(PanelSprav, u("Справочник отделов"), [this] { PanelSprav->prepareReferenceList(true); });
}

void TForm3::N2_4Click()
{
    showPanel(PanelSprav, u("Справочник должностей"), [this] { PanelSprav->prepareReferenceList(false); });
}

void TForm3::N2_7Click()
{
    showPanel(PanelStolb, u("Подбор колонок"), [this] { PanelStolb->prepare(); });
}

void TForm3::choosePosition(std::function<void(int record)> picked)
{
    showPanel(PanelSprav, u("Выберите должность сотрудника"), [this, picked = std::move(picked)] {
        PanelSprav->preparePositionPick(
            [this, picked](const std::string &, int record) {
                picked(record);
                close();
            },
            true);
    });
}

void TForm3::N3_1Click()
{
    showPanel(PanelAbout, u("О программе"));
}

} // namespace veltor
