#include "platform/accessiblefield.h"

#include <QFontMetrics>
#include <QLineEdit>

AccessibleField::AccessibleField(QLineEdit *field)
    : QAccessibleWidget(field, QAccessible::EditableText)
{}

QLineEdit *AccessibleField::field() const
{
    return static_cast<QLineEdit *>(widget());
}

QString AccessibleField::shownText() const
{
    return field()->echoMode() == QLineEdit::Normal ? field()->text()
                                                    : field()->displayText();
}

QString AccessibleField::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return shownText();
    return QAccessibleWidget::text(t);
}

void AccessibleField::setText(QAccessible::Text t, const QString &text)
{
    if (t == QAccessible::Value && !field()->isReadOnly())
        field()->setText(text);
    else
        QAccessibleWidget::setText(t, text);
}

QAccessible::State AccessibleField::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.selectableText = true;
    if (field()->isReadOnly())
        s.readOnly = true;
    else
        s.editable = true;
    if (field()->echoMode() != QLineEdit::Normal)
        s.passwordEdit = true;
    return s;
}

void *AccessibleField::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

void AccessibleField::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !field()->hasSelectedText())
        return;
    *startOffset = field()->selectionStart();
    *endOffset = *startOffset + int(field()->selectedText().size());
}

int AccessibleField::selectionCount() const
{
    return field()->hasSelectedText() ? 1 : 0;
}

void AccessibleField::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void AccessibleField::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        field()->deselect();
}

void AccessibleField::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        field()->setSelection(startOffset, endOffset - startOffset);
}

int AccessibleField::cursorPosition() const
{
    return field()->cursorPosition();
}

void AccessibleField::setCursorPosition(int position)
{
    field()->setCursorPosition(position);
}

QString AccessibleField::text(int startOffset, int endOffset) const
{
    if (startOffset > endOffset)
        return {};
    return shownText().mid(startOffset, endOffset - startOffset);
}

int AccessibleField::characterCount() const
{
    return int(shownText().size());
}

QRect AccessibleField::characterRect(int offset) const
{
    // Where the character stands, in screen coordinates, for a text that
    // starts at the left of the field's contents (as these fields' do).
    const QString text = shownText();
    if (offset < 0 || offset >= text.size())
        return {};
    const QFontMetrics metrics(field()->font());
    const QRect contents = field()->contentsRect();
    const int x = contents.x() + metrics.horizontalAdvance(text.left(offset));
    const QRect r(x, contents.y(), metrics.horizontalAdvance(text.mid(offset, 1)), contents.height());
    return QRect(field()->mapToGlobal(r.topLeft()), r.size());
}

int AccessibleField::offsetAtPoint(const QPoint &point) const
{
    return field()->cursorPositionAt(field()->mapFromGlobal(point));
}

void AccessibleField::scrollToSubstring(int, int endIndex)
{
    field()->setCursorPosition(endIndex);
}

QString AccessibleField::attributes(int, int *startOffset, int *endOffset) const
{
    // No attributes, in one run over the whole text.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void AccessibleField::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void AccessibleField::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void AccessibleField::replaceText(int startOffset, int endOffset, const QString &text)
{
    if (field()->isReadOnly() || startOffset > endOffset)
        return;
    QString all = field()->text();
    all.replace(startOffset, endOffset - startOffset, text);
    field()->setText(all);
}
