#pragma once
// Single-line text fields: a paste (or a drop) takes the pasted text only up
// to its first line break (LF, CR LF or CR), as a one-line field shows one
// line; the rest of the text is taken as the user gave it.

class QLineEdit;

// Makes `field` cut what is inserted into it at the first line break.
void keepOneLine(QLineEdit *field);
