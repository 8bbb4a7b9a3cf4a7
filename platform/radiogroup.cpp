#include "platform/radiogroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
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
        button->installEventFilter(this);
    }
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (!checked)
            return;
        keepOneTabStop();
        if (!settingIndex_)
            emit clicked();
    });
    keepOneTabStop();
}

void RadioGroup::keepOneTabStop()
{
    // The chosen item is the tab stop; the first one while none is chosen.
    // Qt's buttons fix this only once one of them has had the focus.
    const QList<QAbstractButton *> all = buttons_->buttons();
    QAbstractButton *stop = buttons_->checkedButton();
    if (!stop && !all.isEmpty())
        stop = all.first();
    for (QAbstractButton *button : all)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

bool RadioGroup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QGroupBox::eventFilter(watched, event);
    auto *from = qobject_cast<QAbstractButton *>(watched);
    const int key = static_cast<QKeyEvent *>(event)->key();
    int step = 0;
    if (key == Qt::Key_Right || key == Qt::Key_Down)
        step = 1;
    else if (key == Qt::Key_Left || key == Qt::Key_Up)
        step = -1;
    const int count = int(buttons_->buttons().size());
    if (step == 0 || !from || count == 0)
        return QGroupBox::eventFilter(watched, event);
    const int next = (buttons_->id(from) + step + count) % count;
    QAbstractButton *to = buttons_->button(next);
    to->setFocus(Qt::TabFocusReason);
    // Choosing by keyboard is a choice like a click.
    if (!to->isChecked())
        to->click();
    return true;
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
