// Mandelbrotmenge: magnifications and colour animations of the Mandelbrot set.
#include <QApplication>
#include <QIcon>

#include "app/tfmandel.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The program's title. No display name is set: Qt would append it to the
    // window's caption.
    QApplication::setApplicationName(QStringLiteral("Mandelbrotmenge"));
    // The installed menu entry's id, so that the shell matches the window to
    // the entry; and the icon from the program's resources, so that a build
    // that is not installed shows it too.
    QGuiApplication::setDesktopFileName(QStringLiteral(MANDEL_APP_ID));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/" MANDEL_APP_ID "-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    Tfmandel window;
    window.show();
    return app.exec();
}
