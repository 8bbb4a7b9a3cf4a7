// Colour cycling costs on a shown window: the recolouring of the six
// pictures, their drawing on the thumbnails and a whole timer tick, each
// averaged over many repetitions; and, for comparison, the recolouring done
// pixel by pixel as the tick is described (one division per pixel, rows
// outside, columns inside).
//
//   QT_QPA_PLATFORM=offscreen ./cycle_bench [repetitions]
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/tfmandel.h"
#include "colour/cycling.h"
#include "colour/palette.h"
#include "platform/factorgrid.h"
#include "platform/picture.h"
#include "platform/surface.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timing
{
    double mean = 0; // over all repetitions
    double best = 0; // the fastest batch of ten: what the code costs when not interrupted
};

template<class F>
Timing millisecondsEach(int repetitions, F &&f)
{
    constexpr int kBatch = 10;
    Timing t;
    t.best = 1e300;
    double total = 0;
    for (int done = 0; done < repetitions;) {
        const int n = std::min(kBatch, repetitions - done);
        const auto start = Clock::now();
        for (int r = 0; r < n; ++r)
            f(done + r);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        total += ms;
        t.best = std::min(t.best, ms / n);
        done += n;
    }
    t.mean = total / repetitions;
    return t;
}

// The literal recolouring of one picture.
void recolourPlain(const IterationStore::Plane &plane, int width, int height, std::int32_t phase,
                   Picture &picture)
{
    for (int y = 0; y < height; ++y) {
        std::uint8_t *row = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const int e = plane[x][y];
            const int entry = e == 0 ? 0
                                     : static_cast<int>((static_cast<std::int64_t>(e) + phase) % 255)
                                               + 1;
            row[3 * x] = activePalette[3 * entry + 2];
            row[3 * x + 1] = activePalette[3 * entry + 1];
            row[3 * x + 2] = activePalette[3 * entry];
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    Tfmandel window;
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (!window.isActiveWindow() && wait.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    if (window.iterations.images() != 7) {
        std::fprintf(stderr, "the window was not activated\n");
        return 1;
    }

    // Realistic indices: a quick run of six views of the whole set.
    const char *factors[] = {"0", "0,5", "2", "3", "-4", "20"};
    for (int n = 1; n <= 6; ++n)
        window.tabelle->setCell(1, n, QString::fromLatin1(factors[n - 1]));
    window.ZeichnenClick(nullptr);

    const int W = window.mandel1->width();
    const int H = window.mandel1->height();
    std::printf("thumbnails %d x %d, %d repetitions\n", W, H, repetitions);

    std::int32_t phase = 0;
    const Timing recolour = millisecondsEach(repetitions, [&](int) {
        phase = nextCyclePhase(phase);
        const CycledColours colours = makeCycledColours(activePalette, phase);
        for (int i = 1; i <= 6; ++i)
            recolourPicture(window.iterations[i], window.iterations.rows(), W, H, colours,
                            *window.images[i]);
    });

    const Timing draw = millisecondsEach(repetitions, [&](int) {
        for (int i = 1; i <= 6; ++i)
            window.thumbnail(i)->drawPicture(*window.images[i]);
    });

    const Timing tick = millisecondsEach(repetitions, [&](int) { window.Timer1Timer(nullptr); });

    std::vector<std::unique_ptr<Picture>> plainPictures;
    for (int i = 0; i <= 6; ++i)
        plainPictures.push_back(std::make_unique<Picture>(W + 1, H + 1));
    phase = 0;
    const Timing plain = millisecondsEach(repetitions, [&](int) {
        phase = nextCyclePhase(phase);
        for (int i = 1; i <= 6; ++i)
            recolourPlain(window.iterations[i], W, H, phase, *plainPictures[i]);
    });

    // The two recolourings must agree.
    const CycledColours colours = makeCycledColours(activePalette, phase);
    for (int i = 1; i <= 6; ++i) {
        recolourPicture(window.iterations[i], window.iterations.rows(), W, H, colours,
                        *window.images[i]);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < 3 * W; ++x)
                if (window.images[i]->row(y)[x] != plainPictures[i]->row(y)[x]) {
                    std::fprintf(stderr, "image %d differs at byte %d of row %d\n", i, x, y);
                    return 1;
                }
    }

    std::printf("%-28s %10s %10s\n", "milliseconds", "mean", "best");
    std::printf("%-28s %10.3f %10.3f   (target < 1 ms)\n", "recolour six pictures", recolour.mean,
                recolour.best);
    std::printf("%-28s %10.3f %10.3f\n", "draw six pictures", draw.mean, draw.best);
    std::printf("%-28s %10.3f %10.3f   (target < 3 ms)\n", "whole tick (Timer1Timer)", tick.mean,
                tick.best);
    std::printf("%-28s %10.3f %10.3f   (%.1f x the recolouring)\n", "plain per-pixel recolour",
                plain.mean, plain.best, plain.best / recolour.best);
    window.Timer1->stop();
    return 0;
}
