#pragma once
// What a screen reader is told about a FactorGrid: a table of its cells
// only, without the hidden header views; the fixed first row and column are
// the column and row headers, the other cells editable cells. The rows are
// the six factors, each a row header and its factor (so that a reader who
// reads a whole row says "Bild 1, 10"); the fixed row heads the columns and
// is no row. The children are all cells, the column headers first, and after
// them a cell's editor while it is open.

#include <QAccessibleWidget>
#include <vector>

class FactorGrid;

class AccessibleGrid : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit AccessibleGrid(FactorGrid *grid);
    ~AccessibleGrid() override;

    // The child number of the grid's cell (row, column), as focus events
    // carry it.
    static int childIndex(const FactorGrid *grid, int row, int column);

    QAccessible::Role role() const override { return QAccessible::Table; }
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    FactorGrid *grid() const;
    int cellCount() const;
    QWidget *openEditor() const; // the editor of a cell when one is open

    mutable std::vector<QAccessible::Id> cells_; // by child number, 0 until asked for
};
