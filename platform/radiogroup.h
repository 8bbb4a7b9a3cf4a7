#pragma once
// A captioned group of radio buttons in columns, with the index of the
// chosen item. The group is one tab stop: Tab and Shift+Tab enter it on the
// chosen item, and the arrow keys choose the next or previous item, wrapping
// at the ends, as a click does.

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const;        // -1 when no item is chosen
    void setItemIndex(int index); // chooses without a click
    QRadioButton *item(int index) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // The user chose another item.
    void clicked();

private:
    void keepOneTabStop();

    QButtonGroup *buttons_;
    bool settingIndex_ = false;
};
