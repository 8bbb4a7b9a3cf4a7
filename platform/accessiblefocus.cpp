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

void followFocus(QWidget *now)
{
    if (!now || !QAccessible::isActive())
        return;
    if (auto *grid = qobject_cast<FactorGrid *>(now)) {
        reportCurrentCellLater(grid);
    } else if (FactorGrid *grid = gridOfEditor(now)) {
        // Named before Qt reports its focus: "Bild 1, Faktor".
        now->setAccessibleName(QStringLiteral("%1, %2").arg(grid->cell(0, grid->currentRow()),
                                                            grid->cell(grid->currentColumn(), 0)));
    }
}

} // namespace

void followFocusForAccessibility()
{
    static const bool following = [] {
        QObject::connect(qApp, &QApplication::focusChanged, qApp,
                         [](QWidget *, QWidget *now) { followFocus(now); });
        return true;
    }();
    (void)following;
}

void announceCaptionOfFocused(QAbstractButton *button)
{
    if (button && button->hasFocus())
        announce(button, button->text());
}
