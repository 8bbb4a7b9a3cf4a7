#pragma once
// A string grid: fixed first row and column in grey, the other cells edited
// in place; Tab and Shift+Tab move between the editable cells, wrapping, and
// never leave the grid; the fixed cells never become current. A typed
// character or Backspace, F2 or a click on the current cell opens the editor
// (at once, so that no key typed after the click is lost); Escape closes it
// and restores the cell. Cell texts follow the editor as the user types.
// Ctrl+Tab and Ctrl+Shift+Tab lead out of the grid to the next and the
// previous control, as in Qt's other widgets that keep Tab.
// Grid lines lie between the cells: a cell of w x h takes w + 1 x h + 1.

#include <QString>
#include <QTableWidget>

class FactorGrid : public QTableWidget
{
    Q_OBJECT
public:
    FactorGrid(int columns, int rows, QWidget *parent = nullptr);

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    // Every cell w wide and h high inside its grid lines.
    void setCellSize(int w, int h);

    // Moves to the next (forward) or previous editable cell, wrapping.
    void moveToNeighbour(bool forward);
    // Gives the focus to the next (forward) or previous control of the window.
    void leave(bool forward);

    // Whether the key is Tab or Shift+Tab (Backtab), and its move: to the
    // neighbouring editable cell, or with Ctrl out of the grid.
    static bool isTab(const QKeyEvent *key);
    void followTab(const QKeyEvent *key);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    bool isEditable(const QModelIndex &index) const;

    QPersistentModelIndex pressedOnCurrent_; // a press on the current cell, until its release
};
