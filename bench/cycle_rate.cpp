// Colour-cycling ticks per second on a real screen: the window maximised,
// the default series drawn, cycling on, the timer's ticks counted over two
// seconds (nominal 100 a second). Run it under an X server with a window
// manager, as bench/cycle_rate.sh does.
//
//   ./cycle_rate [seconds]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include "app/tfmandel.h"
#include "platform/surface.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 2.0;
    Tfmandel window;
    window.showMaximized();
    QElapsedTimer wait;
    wait.start();
    while ((!window.isActiveWindow() || !window.isMaximized()) && wait.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    // Let the window manager's last size changes settle.
    const qint64 settle = wait.elapsed() + 500;
    while (wait.elapsed() < settle)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (!window.isMaximized()) {
        std::fprintf(stderr, "the window was not maximised (no window manager?)\n");
        return 1;
    }
    window.ZeichnenClick(nullptr);
    int ticks = 0;
    QObject::connect(window.Timer1, &QTimer::timeout, [&] { ++ticks; });
    window.Button1Click(nullptr);
    QApplication::processEvents();
    ticks = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < qint64(seconds * 1000))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double rate = ticks / (clock.elapsed() / 1000.0);
    std::printf("window %d x %d, thumbnails %d x %d: %.1f ticks per second (nominal 100)\n",
                window.width(), window.height(), window.mandel1->width(), window.mandel1->height(),
                rate);
    window.Button1Click(nullptr);
    return 0;
}
