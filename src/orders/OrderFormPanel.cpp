#include "orders/OrderFormPanel.h"

#include "app/DatePicker.h"
#include "app/FieldInput.h"
#include "app/Guard.h"
#include "app/Mnemonics.h"
#include "app/QtText.h"
#include "storage/Schema.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QAbstractProxyModel>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace veltor {
namespace {

QString u(const char *utf8) { return QString::fromUtf8(utf8); }

// Every grid of the form gives its labels this width, so the fields line up across panels.
constexpr int LabelColumnWidth = 170;

const char *const ChooseKindHeading = "Выберите тип операции";

void setDateText(QDateEdit *picker, const std::string &text)
{
    if (!text.empty())
        setPickerDate(*picker, strToDate(text));
}

std::string text(const QLineEdit *edit) { return fromQ(edit->text()); }

// Text as the employee finder compares it: lower case, ё read as е.
QString folded(QString text)
{
    return text.toLower().replace(QChar(0x0451), QChar(0x0435));
}

// The role of the employee list's entries holding the name as the finder compares it.
constexpr int FoldedNameRole = Qt::UserRole + 1;

// Offers the employee list's entries whose name holds the typed text anywhere, regardless of
// case and of ё/е; a name taken from the list is the entry's text as shown.
class EmployeeFinder : public QCompleter {
public:
    EmployeeFinder(QAbstractItemModel *model, QObject *parent) : QCompleter(model, parent)
    {
        setCompletionMode(QCompleter::PopupCompletion);
        setFilterMode(Qt::MatchContains);
        // Both sides are folded already.
        setCaseSensitivity(Qt::CaseSensitive);
        setCompletionRole(FoldedNameRole);
        setModelSorting(QCompleter::UnsortedModel);
        setMaxVisibleItems(15);
    }

    QStringList splitPath(const QString &path) const override { return {folded(path.trimmed())}; }
    QString pathFromIndex(const QModelIndex &index) const override { return index.data(Qt::DisplayRole).toString(); }
};

} // namespace

TOrderFormPanel::TOrderFormPanel(AppState &state, QWidget *parent) : QWidget(parent), m_state(state)
{
    setObjectName("DokumPanel");
    createControls();
}

void TOrderFormPanel::createControls()
{
    // A label names the control beside it, for the eye and for assistive technology.
    auto label = [](QWidget *parent, QLabel *&l, const char *name, const char *caption, QWidget *buddy,
                    const char *description = nullptr) {
        l = new QLabel(u(caption), parent);
        l->setObjectName(QString::fromLatin1(name));
        if (buddy) {
            l->setBuddy(buddy);
            buddy->setAccessibleName(withoutMnemonic(u(caption)).trimmed());
            if (description)
                buddy->setAccessibleDescription(u(description));
        }
    };
    auto edit = [](QWidget *parent, QLineEdit *&e, const char *name) {
        e = new QLineEdit(parent);
        e->setObjectName(QString::fromLatin1(name));
    };
    auto combo = [](QWidget *parent, QComboBox *&c, const char *name) {
        c = new QComboBox(parent);
        c->setObjectName(QString::fromLatin1(name));
        c->setEditable(false);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(30);
    };
    auto row = [](std::initializer_list<QWidget *> widgets) {
        auto *h = new QHBoxLayout;
        for (QWidget *w : widgets)
            h->addWidget(w);
        h->addStretch(1);
        return h;
    };

    auto *layout = new QVBoxLayout(this);
    DokumZagolovok = new QLabel(u(ChooseKindHeading), this);
    DokumZagolovok->setObjectName("DokumZagolovok");
    QFont bold = DokumZagolovok->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    DokumZagolovok->setFont(bold);
    DokumZagolovok->setAlignment(Qt::AlignCenter);
    layout->addWidget(DokumZagolovok);

    auto *head = new QGridLayout;
    head->setColumnMinimumWidth(0, LabelColumnWidth);
    edit(this, DokumEdit1, "DokumEdit1");
    DokumEdit1->setMaximumWidth(90);
    DokumData = createDatePicker(this, "DokumData");
    label(this, Label1, "Label1", "№", DokumEdit1, "Номер приказа");
    label(this, Label1b, "Label1b", "&от", DokumData, "Дата приказа");
    head->addWidget(Label1, 0, 0);
    head->addLayout(row({DokumEdit1, Label1b, DokumData}), 0, 1);
    combo(this, DokumComboTipOper, "DokumComboTipOper");
    label(this, Label2, "Label2", "&Тип операции", DokumComboTipOper);
    head->addWidget(Label2, 1, 0);
    head->addWidget(DokumComboTipOper, 1, 1);
    edit(this, DokumEdit2, "DokumEdit2");
    label(this, Label3, "Label3", "Ос&нование", DokumEdit2);
    head->addWidget(Label3, 2, 0);
    head->addWidget(DokumEdit2, 2, 1);
    layout->addLayout(head);

    DokumPanelOdin = new QWidget(this);
    DokumPanelOdin->setObjectName("DokumPanelOdin");
    auto *odin = new QGridLayout(DokumPanelOdin);
    odin->setContentsMargins(0, 0, 0, 0);
    odin->setColumnMinimumWidth(0, LabelColumnWidth);
    combo(DokumPanelOdin, DokumComboSotr, "DokumComboSotr");
    label(DokumPanelOdin, Label4, "Label4", "&Сотрудник", DokumComboSotr);
    setUpEmployeeFinder();
    DokumDataNach = createDatePicker(DokumPanelOdin, "DokumDataNach");
    label(DokumPanelOdin, Label5, "Label5", "&Дата начала действия", DokumDataNach);
    DokumCheckBoxKonca = new QCheckBox(u("Дата о&кончания"), DokumPanelOdin);
    DokumCheckBoxKonca->setObjectName("DokumCheckBoxKonca");
    DokumDataKonc = createDatePicker(DokumPanelOdin, "DokumDataKonc");
    DokumDataKonc->setAccessibleName(u("Дата окончания"));
    edit(DokumPanelOdin, DokumEdit4, "DokumEdit4");
    label(DokumPanelOdin, Label12, "Label12", "Ко&ментарий", DokumEdit4);
    odin->addWidget(Label4, 0, 0);
    odin->addWidget(DokumComboSotr, 0, 1);
    odin->addWidget(Label5, 1, 0);
    odin->addLayout(row({DokumDataNach}), 1, 1);
    odin->addWidget(DokumCheckBoxKonca, 2, 0);
    odin->addLayout(row({DokumDataKonc}), 2, 1);
    odin->addWidget(Label12, 3, 0);
    odin->addWidget(DokumEdit4, 3, 1);

    auto panel = [this](QWidget *&p, const char *name) {
        p = new QWidget(DokumPanelOdin);
        p->setObjectName(QString::fromLatin1(name));
        auto *grid = new QGridLayout(p);
        grid->setContentsMargins(0, 6, 0, 0);
        grid->setColumnStretch(1, 1);
        grid->setColumnMinimumWidth(0, LabelColumnWidth);
        return grid;
    };

    QGridLayout *g = panel(DokumPanelPriem, "DokumPanelPriem");
    QWidget *p = DokumPanelPriem;
    combo(p, DokumComboOtdel, "DokumComboOtdel");
    label(p, Label9, "Label9", "&Подразделение", DokumComboOtdel);
    combo(p, DokumComboDolzh, "DokumComboDolzh");
    label(p, Label7, "Label7", "Дол&жность", DokumComboDolzh);
    DokumOsnMestRab = new QCheckBox(u("Основное место ра&боты"), p);
    DokumOsnMestRab->setObjectName("DokumOsnMestRab");
    edit(p, DokumEdit3, "DokumEdit3");
    label(p, Label8, "Label8", "Ок&лад", DokumEdit3);
    combo(p, DokumComboGrafRab, "DokumComboGrafRab");
    label(p, Label15, "Label15", "&График работы", DokumComboGrafRab);
    combo(p, DokumComboRezTr, "DokumComboRezTr");
    label(p, Label11, "Label11", "Реж&им труда", DokumComboRezTr);
    edit(p, DokumEdit12, "DokumEdit12");
    DokumDataDog = createDatePicker(p, "DokumDataDog");
    label(p, Label10, "Label10", "Трудо&вой договор №", DokumEdit12, "Номер трудового договора");
    label(p, Label10b, "Label10b", "от", DokumDataDog, "Дата трудового договора");
    edit(p, DokumEdit13, "DokumEdit13");
    DokumDataSogl = createDatePicker(p, "DokumDataSogl");
    label(p, Label27, "Label27", "Доп.согла&шение   №", DokumEdit13, "Номер дополнительного соглашения");
    label(p, Label27b, "Label27b", "от", DokumDataSogl, "Дата дополнительного соглашения");
    g->addWidget(Label9, 0, 0);
    g->addWidget(DokumComboOtdel, 0, 1);
    g->addWidget(Label7, 1, 0);
    g->addWidget(DokumComboDolzh, 1, 1);
    g->addWidget(DokumOsnMestRab, 2, 1);
    g->addWidget(Label8, 3, 0);
    g->addLayout(row({DokumEdit3}), 3, 1);
    g->addWidget(Label15, 4, 0);
    g->addWidget(DokumComboGrafRab, 4, 1);
    g->addWidget(Label11, 5, 0);
    g->addWidget(DokumComboRezTr, 5, 1);
    g->addWidget(Label10, 6, 0);
    g->addLayout(row({DokumEdit12, Label10b, DokumDataDog}), 6, 1);
    g->addWidget(Label27, 7, 0);
    g->addLayout(row({DokumEdit13, Label27b, DokumDataSogl}), 7, 1);

    g = panel(DokumPanelUvol, "DokumPanelUvol");
    p = DokumPanelUvol;
    DokumUvolRadio1 = new QRadioButton(u("Ком&пенсация отпуска"), p);
    DokumUvolRadio1->setObjectName("DokumUvolRadio1");
    DokumUvolRadio2 = new QRadioButton(u("&Удержание за отпуск"), p);
    DokumUvolRadio2->setObjectName("DokumUvolRadio2");
    edit(p, DokumEdit5, "DokumEdit5");
    label(p, Label13, "Label13", "&за", DokumEdit5, "Дней компенсации или удержания за отпуск");
    Label13b = new QLabel(u("дней"), p);
    edit(p, DokumEdit6, "DokumEdit6");
    label(p, Label14, "Label14", "&Выходное пособие за", DokumEdit6, "Дней выходного пособия");
    Label14b = new QLabel(u("дней"), p);
    DokumEdit5->setMaximumWidth(70);
    DokumEdit6->setMaximumWidth(70);
    g->addWidget(DokumUvolRadio1, 0, 0, 1, 2);
    g->addWidget(DokumUvolRadio2, 1, 0, 1, 2);
    g->addWidget(Label13, 2, 0);
    g->addLayout(row({DokumEdit5, Label13b}), 2, 1);
    g->addWidget(Label14, 3, 0);
    g->addLayout(row({DokumEdit6, Label14b}), 3, 1);
    g->setRowStretch(4, 1);

    g = panel(DokumPanelOtpusk, "DokumPanelOtpusk");
    p = DokumPanelOtpusk;
    combo(p, DokumComboVidOtp, "DokumComboVidOtp");
    DokumComboVidOtp->addItems({u("Основной отпуск"), u("Дополнительный отпуск"), u("Учебный отпуск"),
                                u("Отпуск по беременности и родам")});
    DokumComboVidOtp->setCurrentIndex(-1);
    label(p, Label16, "Label16", "&Вид отпуска", DokumComboVidOtp);
    edit(p, DokumEdit7, "DokumEdit7");
    label(p, Label17, "Label17", "Всего дне&й отпуска", DokumEdit7);
    edit(p, DokumEdit8, "DokumEdit8");
    label(p, Label18, "Label18", "&из них доп. отпуска", DokumEdit8);
    DokumEdit7->setMaximumWidth(70);
    DokumEdit8->setMaximumWidth(70);
    label(p, Label19, "Label19", "дни расчитываются по:", nullptr);
    const QStringList counting = {u("По календарным дням"), u("По шестидневной неделе"),
                                  u("По пятилневной неделе")};
    combo(p, DokumComboRaschOsn, "DokumComboRaschOsn");
    DokumComboRaschOsn->addItems(counting);
    DokumComboRaschOsn->setCurrentIndex(-1);
    label(p, Label20, "Label20", "Основной отп&уск", DokumComboRaschOsn, "Дни основного отпуска расчитываются по");
    combo(p, DokumComboRaschDop, "DokumComboRaschDop");
    DokumComboRaschDop->addItems(counting);
    DokumComboRaschDop->setCurrentIndex(-1);
    label(p, Label21, "Label21", "Допо&лнительный ", DokumComboRaschDop,
          "Дни дополнительного отпуска расчитываются по");
    label(p, Label22, "Label22", "Отпуск предоставляется &за период работы:", nullptr);
    DokumData1 = createDatePicker(p, "DokumData1");
    DokumData2 = createDatePicker(p, "DokumData2");
    label(p, Label23, "Label23", "с", DokumData1, "Начало периода работы");
    label(p, Label23b, "Label23b", "&по", DokumData2, "Конец периода работы");
    // "с" is one letter, already another field's: the line above the dates leads to them.
    Label22->setBuddy(DokumData1);
    g->addWidget(Label16, 0, 0);
    g->addWidget(DokumComboVidOtp, 0, 1);
    g->addWidget(Label17, 1, 0);
    g->addLayout(row({DokumEdit7}), 1, 1);
    g->addWidget(Label18, 2, 0);
    g->addLayout(row({DokumEdit8}), 2, 1);
    g->addWidget(Label19, 3, 0, 1, 2);
    g->addWidget(Label20, 4, 0);
    g->addWidget(DokumComboRaschOsn, 4, 1);
    g->addWidget(Label21, 5, 0);
    g->addWidget(DokumComboRaschDop, 5, 1);
    g->addWidget(Label22, 6, 0, 1, 2);
    g->addWidget(Label23, 7, 0);
    g->addLayout(row({DokumData1, Label23b, DokumData2}), 7, 1);

    g = panel(DokumPanelKomand, "DokumPanelKomand");
    p = DokumPanelKomand;
    edit(p, DokumEdit9, "DokumEdit9");
    label(p, Label24, "Label24", "Куда (&город)", DokumEdit9);
    edit(p, DokumEdit10, "DokumEdit10");
    label(p, Label25, "Label25", "Орган&изация", DokumEdit10);
    edit(p, DokumEdit11, "DokumEdit11");
    label(p, Label26, "Label26", "&Цель", DokumEdit11);
    g->addWidget(Label24, 0, 0);
    g->addWidget(DokumEdit9, 0, 1);
    g->addWidget(Label25, 1, 0);
    g->addWidget(DokumEdit10, 1, 1);
    g->addWidget(Label26, 2, 0);
    g->addWidget(DokumEdit11, 2, 1);
    g->setRowStretch(3, 1);

    // The kind panels lie at one spot; the spot keeps the size of the largest, so the window
    // does not jump when the kind changes.
    auto *kinds = new QWidget(DokumPanelOdin);
    kinds->setObjectName("DokumKindPanels");
    auto *stack = new QGridLayout(kinds);
    stack->setContentsMargins(0, 0, 0, 0);
    QSize largest;
    for (QWidget *k : {DokumPanelPriem, DokumPanelUvol, DokumPanelOtpusk, DokumPanelKomand}) {
        stack->addWidget(k, 0, 0, Qt::AlignTop);
        largest = largest.expandedTo(k->sizeHint());
    }
    kinds->setMinimumSize(largest);
    odin->addWidget(kinds, 4, 0, 1, 2);
    layout->addWidget(DokumPanelOdin);

    auto *buttons = new QHBoxLayout;
    auto button = [this, buttons](QPushButton *&b, const char *name, const char *caption) {
        b = new QPushButton(u(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
    };
    buttons->addStretch(1);
    button(DokumButOK, "DokumButOK", "&O K");
    button(DokumButPech, "DokumButPech", "&Распечатать");
    button(DokumButOtmen, "DokumButOtmen", "Отм&ена");
    layout->addLayout(buttons);
    // Notes about refused input.
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("DokumStatusBar");
    StatusBar->setAccessibleName(u("Строка состояния"));
    StatusBar->setSizeGripEnabled(false);
    layout->addWidget(StatusBar);

    connect(DokumComboSotr, &QComboBox::activated, this, guarded(this, [this] { DokumComboSotrChange(); }));
    // The finder's list opening takes the focus from the field for a moment: typing goes on.
    connect(DokumComboSotr->lineEdit(), &QLineEdit::editingFinished, this,
            guarded(this, [this] { settleTypedEmployee(SettleBy::Leaving); }));
    DokumComboSotr->installEventFilter(this);
    connect(DokumComboSotr->lineEdit(), &QLineEdit::returnPressed, this,
            guarded(this, [this] { settleTypedEmployee(SettleBy::Enter); }));
    connect(DokumCheckBoxKonca, &QCheckBox::toggled, this, [this] { DokumCheckBoxKoncaClick(); });
    // A vacation ends where its start and its days put the end.
    connect(DokumEdit7, &QLineEdit::textChanged, this, [this] { followVacationEnd(); });
    connect(DokumDataNach, &QDateEdit::dateChanged, this, [this] { followVacationEnd(); });
    VidDok_odin(-1);
    DokumDataKonc->hide();
}

void TOrderFormPanel::setUpEmployeeFinder()
{
    // A name is found by typing any part of it; the list stays a list: typing adds no entry.
    QComboBox *c = DokumComboSotr;
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMaxVisibleItems(15);
    c->lineEdit()->setPlaceholderText(u("часть фамилии или имени"));
    // The finder works on the list's own model, so an entry it offers is the list's entry.
    c->setCompleter(new EmployeeFinder(c->model(), this));
    c->completer()->popup()->setAccessibleName(u("Найденные сотрудники"));
}

bool TOrderFormPanel::settleTypedEmployee(SettleBy how)
{
    // What the field shows is who the order is for. Enter in the finder's list takes the
    // highlighted name (the finder does that itself), or else the first one found; otherwise
    // a typed part of a name that is one employee's chooses him, and any other typing gives
    // way to the chosen employee's name.
    QComboBox *c = DokumComboSotr;
    QCompleter *finder = c->completer();
    const bool listOpen = finder->popup()->isVisible();
    if (listOpen && (how == SettleBy::Leaving || finder->popup()->currentIndex().isValid()))
        return true;
    const int current = c->currentIndex();
    const QString typed = c->lineEdit()->text();
    if (current >= 0 && typed == c->itemText(current))
        return true;
    finder->setCompletionPrefix(typed);
    const int found = typed.trimmed().isEmpty() ? 0 : finder->completionCount();
    if (found == 1 || (how == SettleBy::Enter && found > 1)) {
        const auto *offered = static_cast<QAbstractProxyModel *>(finder->completionModel());
        const int entry = offered->mapToSource(offered->index(0, 0)).row();
        c->setCurrentIndex(entry);
        emit c->activated(entry);
        return true;
    }
    c->lineEdit()->setText(current >= 0 ? c->itemText(current) : QString());
    // An emptied field only shows the chosen employee again.
    if (typed.trimmed().isEmpty())
        return true;
    StatusBar->showMessage(found == 0 ? u("Сотрудник «%1» не найден").arg(typed.trimmed())
                                      : u("«%1»: найдено сотрудников: %2, выберите одного из списка")
                                            .arg(typed.trimmed())
                                            .arg(found),
                           10000);
    return false;
}

bool TOrderFormPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the employee field after typing chooses the employee (or says none is found),
    // and goes no further: the clerk sees whom the order is for before Enter saves it.
    if (watched == DokumComboSotr && event->type() == QEvent::KeyPress
        && !DokumComboSotr->completer()->popup()->isVisible()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const int current = DokumComboSotr->currentIndex();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter)
            && !(current >= 0 && DokumComboSotr->lineEdit()->text() == DokumComboSotr->itemText(current))) {
            runGuarded(this, [this] { settleTypedEmployee(SettleBy::Enter); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TOrderFormPanel::bindFields(const OrderBook &book)
{
    bindToField(DokumEdit1, book.ZhurDok, schema::NOM_DOK);
    bindToField(DokumEdit2, book.ZhurDok, schema::OSNOVAN);
    // The comment is also the dismissal's reason in the history.
    bindToFields(DokumEdit4, {{&book.Priem, schema::KOMENT}, {&book.Uvol, schema::KOMENT},
                              {&book.Otpusk, schema::KOMENT}, {&book.Komand, schema::KOMENT},
                              {&m_state.Trud, schema::PR_UVOL}});
    bindToFields(DokumEdit3, {{&book.Priem, schema::OKLAD}, {&m_state.Trud, schema::OKLAD},
                              {&m_state.Osnova, schema::OKLAD}},
                 FieldInputKind::Digits);
    bindToField(DokumEdit12, m_state.Trud, schema::NOM_DOG);
    bindToField(DokumEdit13, m_state.Trud, schema::NOM_PRIL);
    bindToField(DokumEdit5, book.Uvol, schema::DN_KOM, FieldInputKind::Digits);
    bindToField(DokumEdit6, book.Uvol, schema::DN_POS, FieldInputKind::Digits);
    bindToField(DokumEdit7, book.Otpusk, schema::OTP_OSN, FieldInputKind::Digits);
    bindToField(DokumEdit8, book.Otpusk, schema::OTP_DOP, FieldInputKind::Digits);
    bindToField(DokumEdit9, book.Komand, schema::KUDA);
    bindToField(DokumEdit10, book.Komand, schema::ORGAN);
    bindToField(DokumEdit11, book.Komand, schema::TSEL);
}

void TOrderFormPanel::followVacationEnd()
{
    // A stored order is shown as it was stored.
    if (kind() != Vacation || m_showingStored)
        return;
    std::string end;
    if (!vacationEndDate(pickerDateText(*DokumDataNach), text(DokumEdit7), end))
        return;
    DokumCheckBoxKonca->setChecked(true);
    setPickerDate(*DokumDataKonc, strToDate(end));
}

void TOrderFormPanel::fillLists()
{
    m_kinds = hrOrderKinds(m_state.TipDok);
    DokumComboTipOper->clear();
    for (const HrKind &k : m_kinds)
        DokumComboTipOper->addItem(toQ(k.name));
    DokumComboTipOper->setCurrentIndex(-1);

    auto fill = [](QComboBox *combo, const LoadedTable &t, std::string_view nameField, std::string_view codeField,
                   std::vector<std::string> &codes) {
        const int name = FieldIndex(t.Header, nameField), code = FieldIndex(t.Header, codeField);
        const int count = t.Header.RecordCount;
        QStringList items;
        items.reserve(count);
        codes.clear();
        codes.reserve(count);
        for (int r = 1; r <= count; ++r) {
            items << toQ(GetField(t.Header, t.Data, r, name));
            codes.push_back(GetField(t.Header, t.Data, r, code));
        }
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(-1);
    };
    fillEmployees();
    fill(DokumComboOtdel, m_state.Otdel, schema::OTDEL, schema::NOM, m_departmentCodes);
    fill(DokumComboDolzh, m_state.Dolzh, schema::DOLZH, schema::NOM, m_positionCodes);
}

void TOrderFormPanel::fillEmployees()
{
    m_employees = employeeChoices(m_state.Osnova);
    QComboBox *c = DokumComboSotr;
    c->clear();
    // The entries go in at once, each with the name the finder compares: a list of thousands
    // is not inserted and announced row by row.
    QList<QStandardItem *> items;
    items.reserve(qsizetype(m_employees.size()));
    for (const EmployeeChoice &e : m_employees) {
        const QString name = toQ(e.name);
        auto *item = new QStandardItem(e.dismissed ? name + u(" (уволен)") : name);
        item->setData(folded(name), FoldedNameRole);
        items << item;
    }
    static_cast<QStandardItemModel *>(c->model())->invisibleRootItem()->insertRows(0, items);
    c->setCurrentIndex(-1);
}

void TOrderFormPanel::reset()
{
    const Date now = today();
    for (QDateEdit *d : {DokumData, DokumDataNach, DokumDataKonc, DokumData1, DokumData2, DokumDataDog, DokumDataSogl})
        setPickerDate(*d, now);
    for (QLineEdit *e : {DokumEdit1, DokumEdit2, DokumEdit3, DokumEdit4, DokumEdit5, DokumEdit6, DokumEdit7,
                         DokumEdit8, DokumEdit9, DokumEdit10, DokumEdit11, DokumEdit12, DokumEdit13})
        e->clear();
    DokumCheckBoxKonca->setChecked(false);
    DokumDataKonc->hide();
    // Notes about the previous order's input do not stay on a new one.
    StatusBar->clearMessage();
    fillLists();
    DokumPanelOdin->show();
    DokumZagolovok->setText(u(ChooseKindHeading));
    for (QWidget *w : std::initializer_list<QWidget *>{DokumEdit1, DokumEdit2, DokumComboTipOper, DokumButOK})
        w->setEnabled(true);
    VidDok_odin(-1);
}

void TOrderFormPanel::VidDok_odin(int position)
{
    QWidget *shown = nullptr;
    if (position == Hire || position == Transfer || position == SalaryChange) {
        shown = DokumPanelPriem;
        const bool hire = position == Hire;
        for (QWidget *w : std::initializer_list<QWidget *>{DokumComboRezTr, Label11, DokumOsnMestRab})
            w->setVisible(hire);
    } else if (position == Dismissal) {
        shown = DokumPanelUvol;
    } else if (position == Vacation) {
        shown = DokumPanelOtpusk;
    } else if (position == BusinessTrip) {
        shown = DokumPanelKomand;
    }
    for (QWidget *p : {DokumPanelPriem, DokumPanelUvol, DokumPanelOtpusk, DokumPanelKomand})
        p->setVisible(p == shown);
}

int TOrderFormPanel::kind() const { return DokumComboTipOper->currentIndex(); }

void TOrderFormPanel::DokumComboTipOperChange(const LoadedTable &zhurDok)
{
    const int position = kind();
    if (position < 0)
        return;
    DokumZagolovok->setText(DokumComboTipOper->currentText());
    VidDok_odin(position);
    DokumEdit1->setText(QString::number(suggestedOrderNumber(m_state.TipDok, zhurDok, position)));
}

void TOrderFormPanel::selectEmployee(int mainRecord)
{
    DokumComboSotr->setCurrentIndex(employeeEntry(mainRecord));
}

bool TOrderFormPanel::selectEmployeeCode(const std::string &code)
{
    int entry = -1;
    for (size_t i = 0; i < m_employees.size() && entry < 0 && !code.empty(); ++i)
        if (m_employees[i].code == code)
            entry = int(i);
    DokumComboSotr->setCurrentIndex(entry);
    return entry >= 0;
}

int TOrderFormPanel::employeeEntry(int mainRecord) const
{
    for (size_t i = 0; i < m_employees.size(); ++i)
        if (m_employees[i].record == mainRecord)
            return int(i);
    return -1;
}

void TOrderFormPanel::DokumComboSotrChange()
{
    const int record = orderEmployeeRecord(m_state, input());
    if (record < 1)
        return;
    const EmployeeEmployment e = employmentOf(m_state, record);
    Date contract{}, agreement{};
    // Dates are read before any control changes.
    const bool hasContract = !e.contractDate.empty() && (contract = strToDate(e.contractDate), true);
    const bool hasAgreement = !e.agreementDate.empty() && (agreement = strToDate(e.agreementDate), true);
    DokumComboOtdel->setCurrentIndex(e.departmentRecord - 1);
    DokumComboDolzh->setCurrentIndex(e.positionRecord - 1);
    DokumEdit3->setText(toQ(e.salary));
    DokumOsnMestRab->setChecked(e.mainPlace);
    DokumEdit12->setText(toQ(e.contractNumber));
    DokumEdit13->setText(toQ(e.agreementNumber));
    if (hasContract)
        setPickerDate(*DokumDataDog, contract);
    if (hasAgreement)
        setPickerDate(*DokumDataSogl, agreement);
}

void TOrderFormPanel::DokumCheckBoxKoncaClick() { DokumDataKonc->setVisible(DokumCheckBoxKonca->isChecked()); }

void TOrderFormPanel::showStoredOrder(const StoredOrder &order)
{
    m_showingStored = true;
    const auto shown = qScopeGuard([this] { m_showingStored = false; });
    const OrderInput &v = order.values;
    DokumEdit1->setText(toQ(v.number));
    setDateText(DokumData, v.date);
    DokumComboTipOper->setCurrentIndex(v.kind);
    DokumComboTipOper->setEnabled(false);
    DokumZagolovok->setText(v.kind >= 0 ? toQ(v.kindName) : u(ChooseKindHeading));
    VidDok_odin(v.kind);
    DokumEdit2->setText(toQ(v.grounds));
    selectEmployee(v.employeeRecord);
    setDateText(DokumDataNach, v.startDate);
    if (v.hasEndDate) {
        setDateText(DokumDataKonc, v.endDate);
        DokumCheckBoxKonca->setChecked(true);
        DokumDataKonc->show();
    }
    if (usesPriem(v.kind)) {
        DokumComboOtdel->setCurrentIndex(order.departmentRecord - 1);
        DokumComboDolzh->setCurrentIndex(order.positionRecord - 1);
        DokumEdit3->setText(toQ(v.salary));
        if (order.hasHistory) {
            DokumOsnMestRab->setChecked(v.mainPlace);
            DokumEdit12->setText(toQ(v.contractNumber));
            DokumEdit13->setText(toQ(v.agreementNumber));
            setDateText(DokumDataDog, v.contractDate);
            setDateText(DokumDataSogl, v.agreementDate);
        }
    } else if (v.kind == Dismissal) {
        if (v.compensation == 1)
            DokumUvolRadio1->setChecked(true);
        else if (v.compensation == 2)
            DokumUvolRadio2->setChecked(true);
        DokumEdit5->setText(toQ(v.compensationDays));
        DokumEdit6->setText(toQ(v.severanceDays));
    } else if (v.kind == Vacation) {
        DokumComboVidOtp->setCurrentIndex(v.vacationKind);
        DokumEdit7->setText(toQ(v.daysTotal));
        DokumEdit8->setText(toQ(v.daysExtra));
        DokumComboRaschOsn->setCurrentIndex(v.mainCounting);
        DokumComboRaschDop->setCurrentIndex(v.extraCounting);
        setDateText(DokumData1, v.workedFrom);
        setDateText(DokumData2, v.workedTo);
    } else if (v.kind == BusinessTrip) {
        DokumEdit9->setText(toQ(v.destination));
        DokumEdit10->setText(toQ(v.organisation));
        DokumEdit11->setText(toQ(v.purpose));
    }
    if (v.kind >= 0)
        DokumEdit4->setText(toQ(v.comment));
    // Long stored texts are shown from their beginning.
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->setCursorPosition(0);
}

OrderInput TOrderFormPanel::input() const
{
    OrderInput in;
    auto pick = [](const QComboBox *combo, const std::vector<std::string> &codes) {
        const int i = combo->currentIndex();
        return i >= 0 && size_t(i) < codes.size() ? codes[size_t(i)] : std::string();
    };
    in.kind = kind();
    if (in.kind >= 0 && size_t(in.kind) < m_kinds.size())
        in.kindName = m_kinds[size_t(in.kind)].name;
    else
        in.kind = -1;
    const int employee = DokumComboSotr->currentIndex();
    if (employee >= 0 && size_t(employee) < m_employees.size()) {
        in.employeeRecord = m_employees[size_t(employee)].record;
        in.employeeCode = m_employees[size_t(employee)].code;
    }
    in.number = text(DokumEdit1);
    in.date = pickerDateText(*DokumData);
    in.grounds = text(DokumEdit2);
    in.startDate = pickerDateText(*DokumDataNach);
    in.hasEndDate = DokumCheckBoxKonca->isChecked();
    in.endDate = pickerDateText(*DokumDataKonc);
    if (in.kind == Vacation) {
        std::string end;
        if (vacationEndDate(in.startDate, text(DokumEdit7), end)) {
            in.hasEndDate = true;
            in.endDate = end;
        }
    }
    in.comment = text(DokumEdit4);
    in.department = pick(DokumComboOtdel, m_departmentCodes);
    in.position = pick(DokumComboDolzh, m_positionCodes);
    in.mainPlace = DokumOsnMestRab->isChecked();
    in.salary = text(DokumEdit3);
    in.contractNumber = text(DokumEdit12);
    in.contractDate = pickerDateText(*DokumDataDog);
    in.agreementNumber = text(DokumEdit13);
    in.agreementDate = pickerDateText(*DokumDataSogl);
    in.compensation = DokumUvolRadio1->isChecked() ? 1 : DokumUvolRadio2->isChecked() ? 2 : 0;
    in.compensationDays = text(DokumEdit5);
    in.severanceDays = text(DokumEdit6);
    in.vacationKind = DokumComboVidOtp->currentIndex();
    in.mainCounting = DokumComboRaschOsn->currentIndex();
    in.extraCounting = DokumComboRaschDop->currentIndex();
    in.daysTotal = text(DokumEdit7);
    in.daysExtra = text(DokumEdit8);
    in.workedFrom = pickerDateText(*DokumData1);
    in.workedTo = pickerDateText(*DokumData2);
    in.destination = text(DokumEdit9);
    in.organisation = text(DokumEdit10);
    in.purpose = text(DokumEdit11);
    return in;
}

} // namespace veltor
