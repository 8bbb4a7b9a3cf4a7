// Mandelbrotmenge: magnifications and colour animations of the Mandelbrot set.
#include <QApplication>

#include "app/tfmandel.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The program's title. No display name is set: Qt would append it to the
    // window's caption.
    QApplication::setApplicationName(QStringLiteral("Mandelbrotmenge"));
    Tfmandel window;
    window.show();
    return app.exec();
}
