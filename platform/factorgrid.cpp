#include "platform/factorgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace {

// Editors write the cell as the user types, so that whoever reads the cell
// sees the text on the screen; Tab and Shift+Tab in an editor move to the
// neighbouring editable cell.
class LiveDelegate : public QStyledItemDelegate {
public:
    explicit LiveDelegate(FactorGrid *grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setFont(option.font);
        const int row = index.row();
        const int column = index.column();
        QObject::connect(editor, &QLineEdit::textEdited, grid_, [grid = grid_, row, column](const QString &text) {
            if (QTableWidgetItem *item = grid->item(row, column))
                item->setText(text);
        });
        return editor;
    }

    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                if (auto *editor = qobject_cast<QWidget *>(object)) {
                    emit commitData(editor);
                    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                }
                grid_->moveToNeighbour(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
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

}  // namespace

FactorGrid::FactorGrid(int columns, int rows, QWidget *parent) : QTableWidget(rows, columns, parent)
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
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
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

bool FactorGrid::event(QEvent *event)
{
    // Tab and Shift+Tab stay inside the grid.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            moveToNeighbour(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return QTableWidget::event(event);
}

void FactorGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QTableWidget::keyPressEvent(event);
}
