#include "card/CardWidgets.h"

#include "app/Mnemonics.h"
#include "app/StringGrid.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QRadioButton>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace veltor {

TRadioGroup::TRadioGroup(const QString &title, const QStringList &items, int columns, QWidget *parent)
    : QGroupBox(title, parent), m_group(new QButtonGroup(this))
{
    setAccessibleName(accessibleLabel(title));
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setVerticalSpacing(2);
    columns = std::max(1, columns);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        // Items fill the columns top to bottom, as a radio group lays them out.
        layout->addWidget(button, i % rows, i / rows);
    }
    // Toggled, not clicked: a screen reader or the keyboard checks an item without a click.
    connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked && m_onClick)
            m_onClick();
    });
}

int TRadioGroup::ItemIndex() const { return m_group->checkedId(); }

void TRadioGroup::setItemIndex(int item)
{
    if (QAbstractButton *button = m_group->button(item)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last checked button by itself.
    if (QAbstractButton *checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

int TRadioGroup::count() const { return static_cast<int>(m_group->buttons().size()); }

QRadioButton *TRadioGroup::button(int item) const
{
    return static_cast<QRadioButton *>(m_group->button(item));
}

TPictureBox::TPictureBox(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void TPictureBox::setPicture(QImage image)
{
    m_image = std::move(image);
    update();
}

void TPictureBox::clearPicture()
{
    m_image = QImage();
    update();
}

QSize TPictureBox::sizeHint() const { return {150, 180}; }

void TPictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_image.isNull()) {
        QSize size = m_image.size().scaled(this->size(), Qt::KeepAspectRatio);
        QRect target(QPoint(0, 0), size);
        target.moveCenter(rect().center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

QString accessibleLabel(const QString &text)
{
    // The underlined letter's marker is no part of the name.
    QString name = withoutMnemonic(text).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.trimmed();
}

void labelControl(QLabel *label, QWidget *control)
{
    label->setBuddy(control);
    control->setAccessibleName(accessibleLabel(label->text()));
}

QLabel *makeLabel(const QString &text, QWidget *control, QWidget *parent, const char *objectName)
{
    auto *label = new QLabel(text, parent);
    if (objectName)
        label->setObjectName(QString::fromLatin1(objectName));
    if (control)
        labelControl(label, control);
    return label;
}

int selectGridRow(TStringGrid &grid, int row)
{
    const int first = grid.FixedRows();
    const int last = grid.RowCount() - 1;
    if (last < first)
        return -1;
    row = std::clamp(row, first, last);
    int col = 0;
    for (int c = grid.FixedCols(); c < grid.ColCount(); ++c) {
        if (!grid.isColumnHidden(c)) {
            col = c;
            break;
        }
    }
    const QModelIndex target = grid.model()->index(row - first, col);
    if (target == grid.currentIndex())
        emit grid.selectCell(col, row);
    else
        grid.setCurrentIndex(target);
    grid.scrollTo(target);
    return row;
}

void layOutColumns(TStringGrid &grid, const TTableHeader &header,
                   std::initializer_list<GridColumn> columns)
{
    for (const GridColumn &c : columns) {
        const int col = FieldIndex(header, c.field);
        if (col < 1)
            continue;
        if (c.heading)
            grid.setCellText(col, 0, QString::fromUtf8(c.heading));
        grid.setColWidth(col, c.width);
    }
}

void widenColumnsToText(TStringGrid &grid, int maxWidth)
{
    const QFontMetrics cells(grid.font());
    const QFontMetrics headings(grid.horizontalHeader()->font());
    for (int c = 0; c < grid.ColCount(); ++c) {
        const int width = grid.ColWidth(c);
        if (width < 0 || grid.isColumnHidden(c))
            continue;
        int needed = headings.horizontalAdvance(grid.cellText(c, 0)) + 16;
        for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
            needed = std::max(needed, cells.horizontalAdvance(grid.cellText(c, r)) + 12);
        needed = std::min(needed, maxWidth);
        if (needed > width)
            grid.setColWidth(c, needed);
    }
}

namespace {

class OverlayPlacer : public QObject {
public:
    OverlayPlacer(QWidget *overlay, std::function<QRect()> place)
        : QObject(overlay), m_overlay(overlay), m_place(std::move(place))
    {
        overlay->installEventFilter(this);
        if (QWidget *parent = overlay->parentWidget())
            parent->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool parentChanged = watched != m_overlay &&
                                   (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest);
        const bool shown = watched == m_overlay && event->type() == QEvent::Show;
        if (watched == m_overlay && event->type() == QEvent::Hide)
            uncover();
        if (shown || parentChanged) {
            place();
            // The parent's layout moves the other children after this event: place once more
            // when it has.
            QPointer<OverlayPlacer> self(this);
            QTimer::singleShot(0, this, [self] {
                if (self)
                    self->place();
            });
        }
        return false;
    }

    void place()
    {
        if (!m_overlay->isHidden()) {
            m_overlay->setGeometry(m_place());
            m_overlay->raise();
            cover();
        }
    }

private:
    // The controls the open overlay hides from the eye leave the Tab order until it closes:
    // Tab would otherwise land on fields nobody can see. Only their focus policy changes, so
    // whatever enables or disables them meanwhile keeps its effect.
    void cover()
    {
        uncover();
        QWidget *parent = m_overlay->parentWidget();
        if (!parent)
            return;
        const QRect area = m_overlay->geometry();
        for (QWidget *w : parent->findChildren<QWidget *>()) {
            if (w == m_overlay || m_overlay->isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) ||
                !w->isVisibleTo(parent))
                continue;
            if (!area.intersects(QRect(w->mapTo(parent, QPoint(0, 0)), w->size())))
                continue;
            m_covered.push_back({w, w->focusPolicy()});
            w->setFocusPolicy(Qt::NoFocus);
        }
    }

    void uncover()
    {
        for (const auto &[widget, policy] : m_covered)
            if (widget)
                widget->setFocusPolicy(policy);
        m_covered.clear();
    }

    QWidget *m_overlay;
    std::function<QRect()> m_place;
    std::vector<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> m_covered;
};

} // namespace

void keepPlaced(QWidget *overlay, std::function<QRect()> place)
{
    new OverlayPlacer(overlay, std::move(place));
}

} // namespace veltor
