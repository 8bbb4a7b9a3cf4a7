// Reading a number from a text field: the window's side of the number text,
// which itself knows no Qt.

#include <QLineEdit>
#include <QString>

#include "numtext/numtext.h"

double ReadReal(const QLineEdit *field)
{
    if (field == nullptr)
        return 0.0;
    // The field holds Unicode; its UTF-8 bytes go to the reader, where any
    // byte outside ASCII simply makes the text invalid at that point.
    return ParseReal(NormalizeReal(field->text().toStdString()));
}
