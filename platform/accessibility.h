#pragma once
// What screen readers are told about the program's own widgets: a paint
// surface is a picture, a string grid a table of its cells, and a plain
// panel holds only the widgets that show. Installed once, before any widget
// is asked for.

void installAccessibility();
