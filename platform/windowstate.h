#pragma once
// Whether the window manager has maximised a top-level window in either
// direction. X11 window managers also maximise in one direction only
// (vertically or horizontally); Qt reports a window as maximised only when it
// is maximised in both, and reports no change of state for the others.

#include <QObject>
#include <functional>
#include <memory>

class QWidget;

bool maximisedInEitherDirection(const QWidget *window);

// Calls `changed` (from the event loop) whenever the window manager changes
// the window's state in a way Qt does not report.
class WindowStateWatch : public QObject
{
public:
    WindowStateWatch(QWidget *window, std::function<void()> changed);
    ~WindowStateWatch() override;

private:
    class NativeFilter;
    std::unique_ptr<NativeFilter> filter_;
};
