#include "platform/accessibleradio.h"

#include <QRadioButton>

AccessibleRadio::AccessibleRadio(QRadioButton *button)
    : QAccessibleWidget(button, QAccessible::RadioButton)
{}

QRadioButton *AccessibleRadio::button() const
{
    return static_cast<QRadioButton *>(widget());
}

QString AccessibleRadio::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
        return button()->text().remove(QLatin1Char('&'));
    return QAccessibleWidget::text(t);
}

QAccessible::State AccessibleRadio::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = button()->isChecked();
    return s;
}

QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
AccessibleRadio::relations(QAccessible::Relation match) const
{
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>> kept;
    const QObject *group = widget()->parentWidget();
    for (const auto &relation : QAccessibleWidget::relations(match))
        if (!(relation.second == QAccessible::Label && relation.first->object() == group))
            kept.append(relation);
    return kept;
}

QStringList AccessibleRadio::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void AccessibleRadio::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        button()->click();
    else
        QAccessibleWidget::doAction(actionName);
}
