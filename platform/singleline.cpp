#include "platform/singleline.h"

#include <QLineEdit>
#include <QObject>
#include <algorithm>

namespace {

qsizetype firstLineBreak(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'\n' || text[i] == u'\r')
            return i;
    return -1;
}

} // namespace

void keepOneLine(QLineEdit *field)
{
    // The field's text never holds a line break, so a break in an edited
    // text lies in what was just inserted, which ends at the cursor: the
    // inserted text is cut from its first break to the cursor.
    QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString &text) {
        const qsizetype cut = firstLineBreak(text);
        if (cut < 0)
            return;
        const qsizetype end = std::max<qsizetype>(field->cursorPosition(), cut);
        QString kept = text.left(cut) + text.mid(end);
        // What follows the cursor came from the old text and has no break,
        // unless something left the cursor elsewhere: then the text ends at
        // the next break.
        const qsizetype more = firstLineBreak(kept);
        if (more >= 0)
            kept.truncate(more);
        field->setText(kept);
        field->setCursorPosition(int(cut));
        // Who follows the user's edits (a factor cell follows its editor)
        // takes the kept text.
        emit field->textEdited(kept);
    });
}
