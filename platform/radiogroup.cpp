#include "platform/radiogroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent)
    , buttons_(new QButtonGroup(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        buttons_->addButton(button, i);
        row->addWidget(button, 1);
    }
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked && !settingIndex_)
            emit clicked();
    });
}

int RadioGroup::itemIndex() const
{
    return buttons_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    settingIndex_ = true;
    if (QAbstractButton *button = buttons_->button(index))
        button->setChecked(true);
    settingIndex_ = false;
}

QRadioButton *RadioGroup::item(int index) const
{
    return qobject_cast<QRadioButton *>(buttons_->button(index));
}
