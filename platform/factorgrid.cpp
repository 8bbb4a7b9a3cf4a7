#include "platform/factorgrid.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "platform/accessiblegrid.h"
#include "platform/singleline.h"

namespace {

// The text a cell had when its editor opened, restored by Escape.
constexpr char kTextBeforeEditing[] = "textBeforeEditing";

// Editors write the cell as the user types, so that whoever reads the cell
// sees the text on the screen; nothing writes back into an open editor, so
// the cursor, the selection and the undo history stay the user's. Tab and
// Shift+Tab in an editor move to the neighbouring editable cell; Escape
// closes the editor and restores the cell's text.
class LiveDelegate : public QStyledItemDelegate
{
public:
    explicit LiveDelegate(FactorGrid *grid)
        : QStyledItemDelegate(grid)
        , grid_(grid)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setFont(option.font);
        editor->setProperty(kTextBeforeEditing, index.data(Qt::EditRole).toString());
        const int row = index.row();
        const int column = index.column();
        QObject::connect(editor, &QLineEdit::textEdited, grid_,
                         [grid = grid_, row, column](const QString &text) {
                             if (QTableWidgetItem *item = grid->item(row, column))
                                 item->setText(text);
                         });
        keepOneLine(editor);
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        // The cell follows the editor: once they agree there is nothing to
        // write, and writing would move the cursor and clear the undo.
        auto *line = qobject_cast<QLineEdit *>(editor);
        if (line && line->text() == index.data(Qt::EditRole).toString())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            auto *editor = qobject_cast<QWidget *>(object);
            if (FactorGrid::isTab(key)) {
                if (editor) {
                    emit commitData(editor);
                    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                }
                grid_->followTab(key);
                return true;
            }
            if (key->key() == Qt::Key_Escape && editor) {
                const QModelIndex index = grid_->currentIndex();
                if (QTableWidgetItem *item = grid_->item(index.row(), index.column()))
                    item->setText(editor->property(kTextBeforeEditing).toString());
                emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                // Left to the window: Enter presses its draw button.
                return false;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    FactorGrid *grid_;
};

} // namespace

FactorGrid::FactorGrid(int columns, int rows, QWidget *parent)
    : QTableWidget(rows, columns, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A click on the current cell opens the editor too, see mouseReleaseEvent.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setItemDelegate(new LiveDelegate(this));
    setAutoFillBackground(true);

    const QColor fixed(0xF0, 0xF0, 0xF0);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto *item = new QTableWidgetItem();
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixed);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
                item->setBackground(Qt::white);
            }
            setItem(r, c, item);
        }
    }
    if (rows > 1 && columns > 1)
        setCurrentCell(1, 1);
}

void FactorGrid::setCellSize(int w, int h)
{
    // The view draws a cell's grid line inside its section, on the right and
    // at the bottom.
    const int line = showGrid() ? 1 : 0;
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, w + line);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, h + line);
}

QString FactorGrid::cell(int column, int row) const
{
    const QTableWidgetItem *it = item(row, column);
    return it ? it->text() : QString();
}

void FactorGrid::setCell(int column, int row, const QString &text)
{
    if (QTableWidgetItem *it = item(row, column))
        it->setText(text);
}

void FactorGrid::moveToNeighbour(bool forward)
{
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows < 2 || columns < 2)
        return;
    int r = std::max(currentRow(), 1);
    int c = std::max(currentColumn(), 1);
    // Reading order over the editable cells, wrapping at both ends.
    const int cellsPerRow = columns - 1;
    const int count = (rows - 1) * cellsPerRow;
    int position = (r - 1) * cellsPerRow + (c - 1);
    position = (position + (forward ? 1 : count - 1)) % count;
    setCurrentCell(position / cellsPerRow + 1, position % cellsPerRow + 1);
}

void FactorGrid::leave(bool forward)
{
    setFocus(Qt::OtherFocusReason);
    QWidget::focusNextPrevChild(forward);
}

bool FactorGrid::isTab(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
}

void FactorGrid::followTab(const QKeyEvent *key)
{
    // Tab and Shift+Tab stay inside the grid; with Ctrl they lead out of it.
    const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    if (key->modifiers() & Qt::ControlModifier)
        leave(forward);
    else
        moveToNeighbour(forward);
}

bool FactorGrid::event(QEvent *event)
{
    if (event->type() == QEvent::KeyPress && isTab(static_cast<QKeyEvent *>(event))) {
        followTab(static_cast<QKeyEvent *>(event));
        return true;
    }
    return QTableWidget::event(event);
}

void FactorGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    // Backspace carries no text, so the view would not open the editor for
    // it; like a typed character it opens the editor and is applied there.
    if (event->key() == Qt::Key_Backspace && state() != EditingState && isEditable(currentIndex())) {
        edit(currentIndex(), AnyKeyPressed, event);
        return;
    }
    QTableWidget::keyPressEvent(event);
}

bool FactorGrid::isEditable(const QModelIndex &index) const
{
    return index.isValid() && index.row() >= 1 && index.column() >= 1;
}

QModelIndex FactorGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // The fixed row and column never become current, whatever the key.
    const QModelIndex next = QTableWidget::moveCursor(cursorAction, modifiers);
    if (!next.isValid())
        return next;
    return model()->index(std::max(next.row(), 1), std::max(next.column(), 1));
}

void FactorGrid::mousePressEvent(QMouseEvent *event)
{
    // A press on a fixed cell changes nothing.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!isEditable(index)) {
        event->accept();
        return;
    }
    pressedOnCurrent_ = event->button() == Qt::LeftButton && index == currentIndex()
                                        && state() != EditingState
                                ? QPersistentModelIndex(index)
                                : QPersistentModelIndex();
    QTableWidget::mousePressEvent(event);
}

void FactorGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableWidget::mouseReleaseEvent(event);
    // The view's own trigger for this waits for the double-click interval and
    // drops what is typed meanwhile; the editor opens at the release instead.
    const QModelIndex pressed = pressedOnCurrent_;
    pressedOnCurrent_ = QPersistentModelIndex();
    if (event->button() == Qt::LeftButton && pressed.isValid()
        && pressed == indexAt(event->position().toPoint()) && state() != EditingState)
        edit(pressed);
}

// The table view numbers its cells for screen readers as if its hidden
// headers were there; the grid tells them its own numbers (AccessibleGrid).
void FactorGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    if (QAccessible::isActive() && current.isValid()) {
        QAccessibleEvent event(this, QAccessible::Focus);
        event.setChild(AccessibleGrid::childIndex(this, current.row(), current.column()));
        QAccessible::updateAccessibility(&event);
    }
}

void FactorGrid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive())
        return;
    for (const QModelIndex &index : selected.indexes()) {
        QAccessibleEvent event(this, QAccessible::SelectionAdd);
        event.setChild(AccessibleGrid::childIndex(this, index.row(), index.column()));
        QAccessible::updateAccessibility(&event);
    }
    for (const QModelIndex &index : deselected.indexes()) {
        QAccessibleEvent event(this, QAccessible::SelectionRemove);
        event.setChild(AccessibleGrid::childIndex(this, index.row(), index.column()));
        QAccessible::updateAccessibility(&event);
    }
}
