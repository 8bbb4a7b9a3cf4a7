// Colour cycling costs on a shown window at the thumbnail sizes of four
// screens (the window normal, and maximised on 1920 x 1080, 2560 x 1440 and
// 3840 x 2160): a whole timer tick as it is now (recolouring straight into
// the pictures and the thumbnails' retained images, on the pool's threads)
// against the tick as it was (recolour the six pictures on one thread, then
// draw each on its thumbnail, which converts it), and the recolouring done
// pixel by pixel as the tick is described (one division per pixel). The
// pictures of the new tick are checked against the literal loop.
//
//   ./cycle_bench [repetitions]
//
// Each screen is measured in a process of its own on the offscreen platform,
// given a screen of that size (unless QT_QPA_PLATFORM is set).
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
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
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    // The four screens, one process each: the window normal on the first,
    // maximised on the others.
    const char *screens[] = {"1124x754", "1920x1080", "2560x1440", "3840x2160"};
    if (argc <= 2) {
        std::printf("%d repetitions; milliseconds a tick, mean and best batch of ten\n",
                    repetitions);
        std::printf("%-10s %-11s %17s %17s %17s %8s\n", "screen", "thumbnails", "tick as it was",
                    "tick now", "plain recolour", "speed-up");
        std::fflush(stdout);
        int failed = 0;
        for (const char *screen : screens) {
            const std::string command = std::string(argv[0]) + " " + std::to_string(repetitions)
                                        + " " + screen;
            failed |= std::system(command.c_str());
        }
        return failed != 0;
    }
    int screenWidth = 0, screenHeight = 0;
    if (std::sscanf(argv[2], "%dx%d", &screenWidth, &screenHeight) != 2)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const std::filesystem::path config = std::filesystem::temp_directory_path()
                                             / ("cycle_bench_" + std::string(argv[2]) + ".json");
        std::ofstream(config) << R"({"screens":[{"name":"bench","x":0,"y":0,"width":)"
                              << screenWidth << R"(,"height":)" << screenHeight
                              << R"(,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})";
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str());
    }
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);

    Tfmandel window;
    if (screenWidth != 1124)
        window.setWindowState(Qt::WindowMaximized);
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
    // Realistic indices: quick runs of six views of the whole set.
    const char *factors[] = {"0", "0,5", "2", "3", "-4", "20"};
    for (int n = 1; n <= 6; ++n)
        window.tabelle->setCell(1, n, QString::fromLatin1(factors[n - 1]));
    window.ZeichnenClick(nullptr);
    const int W = window.mandel1->width();
    const int H = window.mandel1->height();

    std::int32_t phase = window.cyclePhase;
    const Timing before = millisecondsEach(repetitions, [&](int) {
        phase = nextCyclePhase(phase);
        const CycledColours colours = makeCycledColours(activePalette, phase);
        for (int i = 1; i <= 6; ++i) {
            std::vector<std::uint8_t *> rows;
            for (int y = 0; y < H; ++y)
                rows.push_back(window.images[i]->row(y));
            recolourRows(window.iterations[i], window.iterations.rows(), W, 0, H, colours,
                         rows.data(), nullptr);
            window.thumbnail(i)->drawPicture(*window.images[i]);
        }
    });
    const Timing now = millisecondsEach(repetitions, [&](int) { window.Timer1Timer(nullptr); });

    std::vector<std::unique_ptr<Picture>> plainPictures;
    for (int i = 0; i <= 6; ++i)
        plainPictures.push_back(std::make_unique<Picture>(W + 1, H + 1));
    const Timing plain = millisecondsEach(std::max(1, repetitions / 10), [&](int) {
        for (int i = 1; i <= 6; ++i)
            recolourPlain(window.iterations[i], W, H, window.cyclePhase, *plainPictures[i]);
    });
    // The tick's pictures and thumbnails against the literal loop.
    for (int i = 1; i <= 6; ++i) {
        const QImage shown = window.thumbnail(i)->retained();
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const std::uint8_t *want = plainPictures[i]->row(y) + 3 * x;
                const std::uint8_t *got = window.images[i]->row(y) + 3 * x;
                const QRgb pixel = shown.pixel(x, y);
                if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]
                    || qBlue(pixel) != want[0] || qGreen(pixel) != want[1]
                    || qRed(pixel) != want[2]) {
                    std::fprintf(stderr, "image %d differs at (%d, %d)\n", i, x, y);
                    return 1;
                }
            }
    }
    std::printf("%-10s %4d x %-4d %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f %7.1fx\n", argv[2], W, H,
                before.mean, before.best, now.mean, now.best, plain.mean, plain.best,
                before.best / now.best);
    window.Timer1->stop();
    return 0;
}
