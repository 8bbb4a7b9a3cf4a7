// The window's side of the number text, which itself knows no Qt.

#include <QLineEdit>
#include <QString>

#include "app/fieldtext.h"
#include "numtext/numtext.h"

double readNumber(const QString &text)
{
    // Any byte outside ASCII simply makes the text invalid at that point.
    return ParseReal(NormalizeReal(text.toStdString()));
}

double ReadReal(const QLineEdit *field)
{
    if (field == nullptr)
        return 0.0;
    return readNumber(field->text());
}

void showPoint(QLineEdit *reField, QLineEdit *imField, ComplexPoint point, std::uint8_t decimals)
{
    reField->setText(QString::fromStdString(FormatReal(1, decimals, point.re)));
    imField->setText(QString::fromStdString(FormatReal(1, decimals, point.im)));
}
