#pragma once
// Spoken messages that move no focus: what the program has done (a run
// started, ended or stopped; a focused button's new caption). Each message
// is shown to assistive technology as a notification of the window, the one
// kind of news that screen readers speak from any object and that Qt's
// AT-SPI bridge of today carries whole (it sends a changed name or
// description as a reference to the object, not as the new text, which
// Orca cannot speak). Nothing is drawn.

#include <functional>

class QString;
class QWidget;

// Speaks text as news of window.
void announce(QWidget *window, const QString &text);

// Tests see every message through this, also when no screen reader listens;
// an empty function stops it.
void observeAnnouncements(std::function<void(const QString &)> observer);
