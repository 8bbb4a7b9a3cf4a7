#pragma once
// A captioned group of radio buttons in columns, with the index of the
// chosen item.

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

signals:
    // The user chose another item.
    void clicked();

private:
    QButtonGroup *buttons_;
    bool settingIndex_ = false;
};
