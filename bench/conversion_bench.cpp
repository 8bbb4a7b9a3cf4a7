// A run's picture (blue, green, red bytes) onto a thumbnail's retained image
// (0xFFRRGGBB): the pixel loop of copyPicture against QImage::convertToFormat,
// best of 20 batches, at the normal and the largest thumbnail size.
#include <QElapsedTimer>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/surface.h"

int main()
{
    for (auto [w, h] : {std::pair{381, 251}, std::pair{1737, 718}}) {
        QImage picture(w, h, QImage::Format_BGR888);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < 3 * w; ++x)
                picture.scanLine(y)[x] = uchar(7 * x + y);
        QImage surface(w - 1, h - 1, QImage::Format_RGB32);
        QImage converted;
        double loop = 1e9, qt = 1e9;
        for (int batch = 0; batch < 20; ++batch) {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < 20; ++i)
                copyPicture(picture, surface);
            loop = std::min(loop, timer.nsecsElapsed() / 20e6);
            timer.start();
            for (int i = 0; i < 20; ++i)
                converted = picture.convertToFormat(QImage::Format_RGB32);
            qt = std::min(qt, timer.nsecsElapsed() / 20e6);
        }
        if (converted.copy(0, 0, w - 1, h - 1) != surface) {
            std::printf("%d x %d: the two differ\n", w, h);
            return 1;
        }
        std::printf("%d x %d: pixel loop %.3f ms, convertToFormat %.3f ms\n", w, h, loop, qt);
    }
    return 0;
}
