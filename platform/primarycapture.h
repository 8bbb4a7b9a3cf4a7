#pragma once
// Pointer capture by the primary (left) button only, in every window of the
// program. Qt gives every mouse event after a press of any button to the
// widget that took the press, until all buttons are up. Here only a left
// press captures: until its release, moves, presses and releases go to the
// widget that took it. While no left press holds the pointer, every mouse
// event goes to the widget under the pointer, as with no button held, and
// outside the window to none.

// Installs the routing once for the whole application; later calls do
// nothing.
void captureByPrimaryButtonOnly();
