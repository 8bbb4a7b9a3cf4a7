#include "platform/accessibility.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

#include "platform/accessiblefield.h"
#include "platform/accessiblefocus.h"
#include "platform/accessiblegrid.h"
#include "platform/accessibleradio.h"
#include "platform/factorgrid.h"
#include "platform/radiogroup.h"
#include "platform/surface.h"

namespace {

// A panel: its children as far as they show. A hidden widget (the overview's
// stored picture, a panel not yet shown) is nothing a reader should find.
// A panel only lays its controls out: as a filler, screen readers pass over
// it when they name where the focus is and when they move through the window.
class AccessiblePanel : public QAccessibleWidget
{
public:
    explicit AccessiblePanel(QWidget *panel)
        : QAccessibleWidget(panel, QAccessible::Client)
    {}

    int childCount() const override { return int(shown().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QWidget *> children = shown();
        return index >= 0 && index < children.size()
                       ? QAccessible::queryAccessibleInterface(children.at(index))
                       : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child || !child->object())
            return -1;
        return int(shown().indexOf(qobject_cast<QWidget *>(child->object())));
    }

private:
    QList<QWidget *> shown() const
    {
        QList<QWidget *> children;
        for (QObject *o : widget()->children())
            if (auto *w = qobject_cast<QWidget *>(o); w && !w->isWindow() && !w->isHidden())
                children.append(w);
        return children;
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == QLatin1String("PaintSurface"))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == QLatin1String("QRadioButton")
        && qobject_cast<RadioGroup *>(widget->parentWidget()))
        return new AccessibleRadio(static_cast<QRadioButton *>(widget));
    if (className == QLatin1String("QLineEdit"))
        return new AccessibleField(static_cast<QLineEdit *>(widget));
    if (className == QLatin1String("FactorGrid"))
        return new AccessibleGrid(static_cast<FactorGrid *>(widget));
    // A window of its own class (not a dialog) is a frame, as screen readers
    // expect of an application's main window.
    if (widget->isWindow() && widget->metaObject()->superClass() == &QWidget::staticMetaObject
        && className == QLatin1String(widget->metaObject()->className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className != QLatin1String("QWidget") || widget->metaObject() != &QWidget::staticMetaObject
        || widget->isWindow())
        return nullptr;
    // The grid's viewport stands for the grid, as in Qt's own views.
    if (auto *grid = qobject_cast<FactorGrid *>(widget->parentWidget());
        grid && widget == grid->viewport())
        return new AccessibleGrid(grid);
    return new AccessiblePanel(widget);
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        followFocusForAccessibility();
        return true;
    }();
    (void)installed;
}
