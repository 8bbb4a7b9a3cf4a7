#include "platform/accessiblegrid.h"

#include <QItemSelectionModel>
#include <QPointer>

#include "platform/factorgrid.h"

namespace {

// One cell. It holds no pointer of its own to the cell: the grid's shape
// never changes, so row and column name it for good.
class AccessibleCell : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    AccessibleCell(FactorGrid *grid, int row, int column)
        : grid_(grid)
        , row_(row)
        , column_(column)
    {}

    bool isValid() const override { return grid_ && row_ < grid_->rowCount(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(grid_.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return grid_ ? grid_->cell(column_, row_) : QString();
        return {};
    }
    void setText(QAccessible::Text t, const QString &text) override
    {
        if (grid_ && isEditable() && (t == QAccessible::Value || t == QAccessible::Name))
            grid_->setCell(column_, row_, text);
    }
    QRect rect() const override
    {
        if (!grid_)
            return {};
        const QRect r = grid_->visualRect(grid_->model()->index(row_, column_));
        return QRect(grid_->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override
    {
        // The fixed row heads the columns, the fixed column the rows.
        if (row_ == 0)
            return QAccessible::ColumnHeader;
        if (column_ == 0)
            return QAccessible::RowHeader;
        return QAccessible::Cell;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!grid_ || !grid_->isVisible())
            s.invisible = true;
        if (grid_ && isEditable()) {
            s.focusable = true;
            s.selectable = true;
            s.editable = true;
            const bool current = grid_->currentRow() == row_ && grid_->currentColumn() == column_;
            s.focused = current && grid_->hasFocus();
            s.selected = isSelected();
        } else {
            s.readOnly = true;
        }
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                       ? static_cast<QAccessibleTableCellInterface *>(this)
                       : nullptr;
    }

    bool isSelected() const override
    {
        return grid_ && grid_->selectionModel()
               && grid_->selectionModel()->isSelected(grid_->model()->index(row_, column_));
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        return row_ > 0 && column_ > 0 ? QList<QAccessibleInterface *>{cell(0, column_)}
                                       : QList<QAccessibleInterface *>{};
    }
    // A row header heads its own row too: a reader asks the first cell of a
    // row for the row's header.
    QList<QAccessibleInterface *> rowHeaderCells() const override
    {
        return row_ > 0 ? QList<QAccessibleInterface *>{cell(row_, 0)}
                        : QList<QAccessibleInterface *>{};
    }
    // Rows of the factors: the fixed row heads the columns and is none.
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_ - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    bool isEditable() const { return row_ > 0 && column_ > 0; }
    QAccessibleInterface *cell(int row, int column) const
    {
        QAccessibleInterface *t = parent();
        return t && grid_ ? t->child(AccessibleGrid::childIndex(grid_, row, column)) : nullptr;
    }

    QPointer<FactorGrid> grid_;
    int row_, column_;
};

} // namespace

AccessibleGrid::AccessibleGrid(FactorGrid *grid)
    : QAccessibleWidget(grid, QAccessible::Table)
{}

AccessibleGrid::~AccessibleGrid()
{
    for (QAccessible::Id id : cells_)
        if (id)
            QAccessible::deleteAccessibleInterface(id);
}

FactorGrid *AccessibleGrid::grid() const
{
    return static_cast<FactorGrid *>(widget());
}

int AccessibleGrid::childIndex(const FactorGrid *grid, int row, int column)
{
    return row * grid->columnCount() + column;
}

int AccessibleGrid::cellCount() const
{
    return grid()->rowCount() * grid()->columnCount();
}

QWidget *AccessibleGrid::openEditor() const
{
    for (QWidget *w : grid()->viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            return w;
    return nullptr;
}

int AccessibleGrid::childCount() const
{
    return cellCount() + (openEditor() ? 1 : 0);
}

int AccessibleGrid::rowCount() const
{
    return grid()->rowCount() - 1;
}

int AccessibleGrid::columnCount() const
{
    return grid()->columnCount();
}

QAccessibleInterface *AccessibleGrid::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (index == cellCount())
        return QAccessible::queryAccessibleInterface(openEditor());
    if (cells_.size() < std::size_t(cellCount()))
        cells_.resize(cellCount(), 0);
    if (!cells_[index]) {
        const int columns = grid()->columnCount();
        auto *cell = new AccessibleCell(grid(), index / columns, index % columns);
        cells_[index] = QAccessible::registerAccessibleInterface(cell);
    }
    return QAccessible::accessibleInterface(cells_[index]);
}

int AccessibleGrid::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (QWidget *editor = openEditor(); editor && child->object() == editor)
        return cellCount();
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
    for (std::size_t i = 0; i < cells_.size(); ++i)
        if (cells_[i] == id)
            return int(i);
    return -1;
}

QAccessibleInterface *AccessibleGrid::childAt(int x, int y) const
{
    const QPoint p = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = grid()->indexAt(p);
    return index.isValid() ? child(childIndex(grid(), index.row(), index.column())) : nullptr;
}

QAccessibleInterface *AccessibleGrid::focusChild() const
{
    if (QWidget *editor = openEditor(); editor && editor->hasFocus())
        return QAccessible::queryAccessibleInterface(editor);
    const int row = grid()->currentRow();
    const int column = grid()->currentColumn();
    return row >= 0 && column >= 0 ? child(childIndex(grid(), row, column)) : nullptr;
}

void *AccessibleGrid::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface *AccessibleGrid::cellAt(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    return child(childIndex(grid(), row + 1, column));
}

int AccessibleGrid::selectedCellCount() const
{
    return int(selectedCells().size());
}

QList<QAccessibleInterface *> AccessibleGrid::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    if (QItemSelectionModel *selection = grid()->selectionModel())
        for (const QModelIndex &index : selection->selectedIndexes())
            if (QAccessibleInterface *cell = child(childIndex(grid(), index.row(), index.column())))
                cells.append(cell);
    return cells;
}

QString AccessibleGrid::columnDescription(int column) const
{
    return grid()->cell(column, 0);
}

QString AccessibleGrid::rowDescription(int row) const
{
    return grid()->cell(0, row + 1);
}
