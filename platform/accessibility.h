#pragma once
// What screen readers are told about the program's widgets: the window is a
// frame, a paint surface a picture, a string grid a table of its cells, a
// plain panel a filler holding only the widgets that show; edit fields and
// the radio buttons of a RadioGroup get accounts that mend Qt's own, and the
// focus is followed where Qt says too little (accessiblefocus.h). Installed
// once, before any widget is built.

void installAccessibility();
