#include "platform/accessiblefocus.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QTimer>

#include "platform/accessibleannouncer.h"
#include "platform/accessiblegrid.h"
#include "platform/factorgrid.h"

namespace {

// Qt reports the focus on the table after the grid has it: the current cell
// follows once that report is out, so that the cell is the last word.
void reportCurrentCellLater(FactorGrid *grid)
{
    QTimer::singleShot(0, grid, [g = QPointer<FactorGrid>(grid)] {
        if (!g || !g->hasFocus() || g->currentRow() < 0 || g->currentColumn() < 0)
            return;
        QAccessibleEvent focus(g.data(), QAccessible::Focus);
        focus.setChild(AccessibleGrid::childIndex(g, g->currentRow(), g->currentColumn()));
        QAccessible::updateAccessibility(&focus);
    });
}

// The grid whose cell editor w is, or nullptr.
FactorGrid *gridOfEditor(QWidget *w)
{
    QWidget *viewport = w->parentWidget();
    auto *grid = viewport ? qobject_cast<FactorGrid *>(viewport->parentWidget()) : nullptr;
    return grid && viewport == grid->viewport() ? grid : nullptr;
}

// "Bild 1, 10": the cell with its row header.
QString cellWithHeader(const FactorGrid *grid)
{
    return QStringLiteral("%1, %2").arg(grid->cell(0, grid->currentRow()),
                                        grid->cell(grid->currentColumn(), grid->currentRow()));
}

// A screen reader follows the caret of a cell's editor before Qt reports its
// focus (the editor takes it before it shows), and then takes that report for
// old news: so the editor's name, and the cell when its editor closes, are
// said as news.
void followFocus(QWidget *before, QWidget *now)
{
    if (!now || !QAccessible::isActive())
        return;
    if (auto *grid = qobject_cast<FactorGrid *>(now)) {
        if (before && gridOfEditor(before) == grid)
            announce(grid, cellWithHeader(grid));
        else
            reportCurrentCellLater(grid);
    } else if (FactorGrid *grid = gridOfEditor(now)) {
        now->setAccessibleName(QStringLiteral("%1, %2").arg(grid->cell(0, grid->currentRow()),
                                                            grid->cell(grid->currentColumn(), 0)));
        announce(grid, now->accessibleName());
    }
}

} // namespace

void followFocusForAccessibility()
{
    static const bool following = [] {
        QObject::connect(qApp, &QApplication::focusChanged, qApp,
                         [](QWidget *before, QWidget *now) { followFocus(before, now); });
        return true;
    }();
    (void)following;
}

void announceCaptionOfFocused(QAbstractButton *button)
{
    if (button && button->hasFocus())
        announce(button, button->text());
}
