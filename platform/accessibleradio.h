#pragma once
// What a screen reader is told about a radio button of a RadioGroup: Qt's
// account of it without the group as its label. Qt names the group box the
// label of every button in it, and Orca then says the group's caption again
// at each button the arrow keys choose, besides once as the group it enters.

#include <QAccessibleWidget>

class QRadioButton;

class AccessibleRadio : public QAccessibleWidget
{
public:
    explicit AccessibleRadio(QRadioButton *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match = QAccessible::AllRelations) const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QRadioButton *button() const;
};
