#pragma once
// Where the focus is, said where Qt alone says too little: a FactorGrid that
// gains the focus names its current cell (Qt names only the table), the
// editor of a cell is named after the cell's row and column headers and says
// so, and closing it says the cell with its row header; a
// button whose caption a click changes speaks the new caption (Qt's report
// of a changed name carries no text a screen reader can speak).

class QAbstractButton;

// Follows the application's focus from now on. Needs the application object.
void followFocusForAccessibility();

// Speaks button's caption when button has the focus.
void announceCaptionOfFocused(QAbstractButton *button);
