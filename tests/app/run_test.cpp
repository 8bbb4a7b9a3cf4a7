// Runs of the zoom series through the window: the store and the thumbnails
// against the engine, factor texts, abort, a nested run, an unreadable
// number, a layout and a close during a run.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "app/tfmandel.h"
#include "colour/palette.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/engine.h"
#include "tests/support/window_fixture.h"

namespace {

const QString kIdleCaption = QStringLiteral("Vergrößerungen zeichnen");

// The indices of one image, row by row, as the engine computes them.
std::vector<std::uint8_t> expectedImage(double re, double im, double factor, int w, int h)
{
    const zoom::Geometry g = zoom::makeGeometry(w, h, zoom::clampFactor(factor), re, im);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h);
    zoom::RowEngine engine(2);
    engine.begin(g);
    for (int r = 0; r < h; ++r)
        std::memcpy(out.data() + static_cast<std::size_t>(r) * w, engine.waitRow(r), w);
    engine.cancel();
    return out;
}

// Number of pixels of image n whose stored index differs from `expected`.
int storeDifferences(Tfmandel &w, int n, const std::vector<std::uint8_t> &expected, int width,
                     int height)
{
    int differences = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            differences += w.iterations[n][x][y]
                           != expected[static_cast<std::size_t>(y) * width + x];
    return differences;
}

// Calls `onPump` at every event pump of a run (and whenever the event loop
// runs while it exists).
struct PumpProbe
{
    QTimer timer;
    std::function<void()> onPump;
    explicit PumpProbe(std::function<void()> f)
        : onPump(std::move(f))
    {
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [this] { onPump(); });
        timer.start();
    }
};

class RunTest : public WindowTest
{
protected:
    // No time between progress checks: one, with its event pump, after
    // every row.
    void pumpAfterEveryRow() { window->progressInterval = {}; }

    void setFactors(std::initializer_list<const char *> texts)
    {
        int n = 1;
        for (const char *t : texts)
            window->tabelle->setCell(1, n++, QString::fromUtf8(t));
    }
    void fillPlane(int n, std::uint8_t value)
    {
        for (int x = 0; x < window->iterations.columns(); ++x)
            for (int y = 0; y < window->iterations.rows(); ++y)
                window->iterations[n][x][y] = value;
    }
    void paintThumbnail(int n, QColor colour)
    {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(colour);
        window->thumbnail(n)->drawImage(image);
    }
    // Index 7 in every store plane, red on every thumbnail: what a run has
    // not rewritten shows.
    void markEveryImage()
    {
        for (int n = 1; n <= 6; ++n) {
            fillPlane(n, 7);
            paintThumbnail(n, Qt::red);
        }
    }
    QColor shown(int n, int x, int y) { return window->thumbnail(n)->retained().pixelColor(x, y); }
    // A pump during image 3: thumbnail 2 drawn whole, thumbnail 3 not (its
    // last row still red or white).
    static bool drawnWhole(QColor bottom)
    {
        return bottom != QColor(Qt::red) && bottom != QColor(Qt::white);
    }
    bool inImage3()
    {
        const int last = window->mandel2->height() - 1;
        return drawnWhole(shown(2, 0, last)) && !drawnWhole(shown(3, 0, last));
    }
};

TEST_F(RunTest, TheDefaultSeriesFillsStoreAndThumbnailsAsTheEngineComputesThem)
{
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    EXPECT_TRUE(window->idle);
    EXPECT_EQ(window->Zeichnen->text(), kIdleCaption);
    EXPECT_DOUBLE_EQ(window->aspect, 250.0 / 380.0);
    const double factors[] = {10, 100, 1000, 10000, 100000, 1000000};
    for (int n = 1; n <= 6; ++n) {
        const auto expected = expectedImage(-1.41, 0, factors[n - 1], 380, 250);
        EXPECT_EQ(storeDifferences(*window, n, expected, 380, 250), 0) << "image " << n;
        const QImage shot = window->thumbnail(n)->grab().toImage();
        int wrong = 0;
        for (int y = 0; y < 250; ++y)
            for (int x = 0; x < 380; ++x) {
                const int e = expected[static_cast<std::size_t>(y) * 380 + x];
                wrong += shot.pixelColor(x, y)
                         != QColor(activePalette[3 * e], activePalette[3 * e + 1],
                                   activePalette[3 * e + 2]);
            }
        EXPECT_EQ(wrong, 0) << "thumbnail " << n;
    }
    // The store's extra column and row are never written.
    EXPECT_EQ(window->iterations[6][380][0], 0);
    EXPECT_EQ(window->iterations[6][0][250], 0);
}

TEST_F(RunTest, FactorTextsAreReadAndClampedPerImage)
{
    window->Edit1->setText(QStringLiteral("-0,75"));
    window->Edit2->setText(QStringLiteral("0,1"));
    setFactors({"0", "0,1", "1E9", "-10", "abc", ""});
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    EXPECT_EQ(window->target.re, -0.75);
    EXPECT_EQ(window->target.im, 0.1);
    const double read[] = {0, 0.1, 1e9, -10, 0, 0};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(storeDifferences(*window, n, expectedImage(-0.75, 0.1, read[n - 1], 380, 250),
                                   380, 250),
                  0)
                << "image " << n;
    // "-10" shows the region of "10" with both axes reversed: the same points
    // up to the rounding of the sample chains.
    const auto ten = expectedImage(-0.75, 0.1, 10, 380, 250);
    int mirrored = 0;
    for (int y = 0; y < 249; ++y)
        for (int x = 0; x < 379; ++x)
            mirrored += window->iterations[4][x][y]
                        == ten[static_cast<std::size_t>(248 - y) * 380 + (378 - x)];
    EXPECT_GT(mirrored, 379 * 249 * 9 / 10);
}

TEST_F(RunTest, AbortDuringImageThreeKeepsTheLaterImages)
{
    setFactors({"0", "0", "1000000", "0", "0", "0"});
    pumpAfterEveryRow();
    const int w = window->mandel1->width();
    const int h = window->mandel1->height();
    markEveryImage();
    window->Paintbox->drawImage(QImage(329, 321, QImage::Format_RGB32));

    bool aborted = false;
    PumpProbe probe([&] {
        if (!aborted && window->runInProgress() && inImage3()) {
            aborted = true;
            QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
            EXPECT_TRUE(window->idle);
        }
    });
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_TRUE(aborted) << "no event pump came during image 3";
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->runInProgress());
    EXPECT_EQ(window->Zeichnen->text(), kIdleCaption);

    // Image 3: new indices at the top, the old ones at the bottom, white below
    // the rows shown.
    const auto image3 = expectedImage(-1.41, 0, 1e6, w, h);
    for (int x = 0; x < w; ++x)
        EXPECT_EQ(window->iterations[3][x][0], image3[x]) << x;
    EXPECT_EQ(window->iterations[3][w / 2][h - 1], 7);
    EXPECT_EQ(shown(3, w / 2, h - 1), QColor(Qt::white));
    for (int n = 4; n <= 6; ++n) {
        EXPECT_EQ(window->iterations[n][w / 2][h / 2], 7) << n;
        EXPECT_EQ(shown(n, w / 2, h / 2), QColor(Qt::red)) << n;
    }
    // The overview was repainted with its marker.
    EXPECT_EQ(window->Paintbox->retained().pixelColor(90, 160), QColor(0, 0, 255));

    // The next press runs all six.
    setFactors({"0", "0", "0", "0", "0", "0"});
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    const auto whole = expectedImage(-1.41, 0, 0, w, h);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(storeDifferences(*window, n, whole, w, h), 0) << n;
}

TEST_F(RunTest, TwoPressesInOnePumpRunAWholeNestedRun)
{
    setFactors({"0", "0", "1000000", "10", "10", "10"});
    pumpAfterEveryRow();
    const int w = window->mandel1->width();
    const int h = window->mandel1->height();
    markEveryImage();
    int pressed = 0;
    int deepest = 0;
    // A timer does not fire again while its own handler runs: a second one
    // watches the nested run.
    PumpProbe depth([&] { deepest = std::max(deepest, window->runDepth()); });
    PumpProbe probe([&] {
        if (pressed == 0 && window->runInProgress() && inImage3()) {
            pressed = 2;
            // The first press ends the run, the second starts a whole new one
            // inside this pump.
            QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
            QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
        }
    });
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_EQ(pressed, 2);
    EXPECT_EQ(deepest, 2);
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->runInProgress());
    EXPECT_EQ(window->Zeichnen->text(), kIdleCaption);
    // The nested run computed all six images.
    const double factors[] = {0, 0, 1e6, 10, 10, 10};
    for (int n : {1, 3, 6})
        EXPECT_EQ(storeDifferences(*window, n, expectedImage(-1.41, 0, factors[n - 1], w, h), w, h), 0)
                << n;
    EXPECT_NE(shown(6, 0, 0), QColor(Qt::red));
}

TEST_F(RunTest, AnUnreadableFactorEndsTheRunAndTheToggleRecovers)
{
    ModalWatcher watcher;
    setFactors({"0", "0", "1E400", "0", "0", "0"});
    fillPlane(4, 7);
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    EXPECT_EVENTUALLY_EQ(watcher.seen, 1);
    EXPECT_EQ(watcher.text, QStringLiteral("Floating point overflow."));
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->runInProgress());
    EXPECT_EQ(window->Zeichnen->text(), kIdleCaption);
    EXPECT_EQ(window->iterations[4][0][0], 7);
    EXPECT_EQ(storeDifferences(*window, 2, expectedImage(-1.41, 0, 0, 380, 250), 380, 250), 0);

    // The next press runs.
    setFactors({"0", "0", "0", "0", "0", "0"});
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    EXPECT_EQ(watcher.seen, 1);
    EXPECT_EQ(storeDifferences(*window, 4, expectedImage(-1.41, 0, 0, 380, 250), 380, 250), 0);
}

// Sizes MaPanel takes during a run, one after the other in one event pump:
// the layout waits for the run's end and then takes place once for the last
// size, also when that is the size the run began with.
struct ResizesInARun
{
    const char *name;
    std::vector<QSize> sizes;
};

void PrintTo(const ResizesInARun &resizes, std::ostream *os)
{
    *os << resizes.name;
}

class LayoutInARunTest : public RunTest, public ::testing::WithParamInterface<ResizesInARun>
{};

TEST_P(LayoutInARunTest, WaitsForTheRunsEndAndIsNeverLost)
{
    setFactors({"0", "0", "1000000", "0", "0", "0"});
    pumpAfterEveryRow();
    for (int n = 1; n <= 6; ++n)
        paintThumbnail(n, Qt::red);
    const QSize during = window->mandel1->size();
    const int columns = window->iterations.columns();
    window->cyclePhase = 9;
    // A mark in every picture: a layout makes new white ones.
    for (int n = 1; n <= 6; ++n)
        window->images[n]->row(0)[0] = 0;
    bool resized = false;
    QSize sizeInRun;
    int columnsInRun = 0, phaseInRun = 0, depthInRun = 0;
    PumpProbe probe([&] {
        if (!resized && window->runInProgress() && inImage3()) {
            resized = true;
            for (const QSize size : GetParam().sizes)
                window->MaPanel->resize(size);
            sizeInRun = window->mandel1->size();
            columnsInRun = window->iterations.columns();
            phaseInRun = window->cyclePhase;
            depthInRun = window->runDepth();
            QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
        }
    });
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_TRUE(resized);
    EXPECT_EQ(sizeInRun, during) << "run depth " << depthInRun;
    EXPECT_EQ(columnsInRun, columns);
    EXPECT_EQ(phaseInRun, 9);
    const QSize last = GetParam().sizes.back();
    const int a = (last.width() - 361) / 2, b = last.height() / 3;
    EXPECT_EQ(window->mandel1->size(), QSize(a - 1, b - 1));
    EXPECT_EQ(window->iterations.columns(), a + 1);
    EXPECT_EQ(window->cyclePhase, 0);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(window->images[n]->row(0)[0], 0xFF) << "picture " << n << " is not new";
}

INSTANTIATE_TEST_SUITE_P(
        RunTest, LayoutInARunTest,
        ::testing::Values(ResizesInARun{"Maximised", {QSize(1500, 900)}},
                          ResizesInARun{"MaximisedAndRestored",
                                        {QSize(1500, 900), QSize(1124, 754)}}),
        [](const ::testing::TestParamInfo<ResizesInARun> &info) { return info.param.name; });

TEST_F(RunTest, ClosingDuringARunEndsTheRunThenTheWindow)
{
    setFactors({"0", "0", "1000000", "0", "0", "0"});
    pumpAfterEveryRow();
    for (int n = 1; n <= 6; ++n)
        paintThumbnail(n, Qt::red);
    bool closed = false;
    bool visibleInRun = false;
    PumpProbe probe([&] {
        if (!closed && window->runInProgress() && inImage3()) {
            closed = true;
            window->close();
            visibleInRun = window->isVisible();
        }
    });
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_TRUE(closed);
    EXPECT_TRUE(visibleInRun);
    EXPECT_TRUE(window->idle);
    // Image 4 was never begun.
    EXPECT_EQ(shown(4, 0, 0), QColor(Qt::red));
    EXPECT_EVENTUALLY(!window->isVisible());
}

} // namespace
