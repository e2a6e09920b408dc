#pragma once
#include <QAbstractButton>
#include <QGroupBox>
#include <QImage>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <string_view>

class QButtonGroup;
class QLabel;
class QRadioButton;

// Small widgets and helpers the card's pages share.
namespace veltor {

// A group of radio buttons with one item index (-1: none chosen).
class TRadioGroup : public QGroupBox {
public:
    TRadioGroup(const QString &title, const QStringList &items, int columns, QWidget *parent);

    int ItemIndex() const;
    // An index outside the items chooses none.
    void setItemIndex(int item);
    int count() const;
    QRadioButton *button(int item) const;
    // Called when an item becomes the chosen one: by a click, the keyboard, assistive
    // technology or setItemIndex.
    void onClick(std::function<void()> handler) { m_onClick = std::move(handler); }

private:
    QButtonGroup *m_group;
    std::function<void()> m_onClick;
};

// A picture the user clicks (or activates with the keyboard) to choose another. The picture is
// scaled to the frame keeping its proportions and centred; without one the widget is
// transparent, so whatever lies beneath it shows through.
class TPictureBox : public QAbstractButton {
public:
    explicit TPictureBox(QWidget *parent);

    void setPicture(QImage image);
    void clearPicture();
    bool hasPicture() const { return !m_image.isNull(); }
    const QImage &picture() const { return m_image; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};

// Makes `label` the visible label of `control`: its buddy, and the control's accessible name
// (the label's text without a trailing colon).
void labelControl(QLabel *label, QWidget *control);
// A new label for the control, with its object name when given.
QLabel *makeLabel(const QString &text, QWidget *control, QWidget *parent, const char *objectName = nullptr);
// The accessible name for a visible label text: trimmed, without a trailing colon.
QString accessibleLabel(const QString &text);

class TStringGrid;
struct TTableHeader;

// The heading and width of a table field shown in a grid filled by TableToGrid; width -1 hides
// the column, a null heading keeps the field name.
struct GridColumn {
    std::string_view field;
    int width;
    const char *heading;
};

// Applies the columns to a grid filled from a table with that header; fields the table lacks
// are passed over.
void layOutColumns(TStringGrid &grid, const TTableHeader &header,
                   std::initializer_list<GridColumn> columns);

// Makes the grid row current (clamped to the data rows; the first data row when `row` is
// below it), in the first shown column, and returns the row made current (-1 when the grid has
// no data row). The grid's selectCell signal tells the window, as a user's selection does.
int selectGridRow(TStringGrid &grid, int row);

// Widens every shown column whose heading or cells need more room than its width gives (the
// widths of the original layout were made for a smaller font), to at most `maxWidth`.
void widenColumnsToText(TStringGrid &grid, int maxWidth = 260);

// Keeps `overlay` (a child widget outside any layout, shown over its parent's other contents)
// at the rectangle `place` gives in its parent's coordinates, recomputed whenever the overlay
// is shown or the parent changes size.
void keepPlaced(QWidget *overlay, std::function<QRect()> place);

} // namespace veltor
