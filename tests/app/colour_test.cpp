// Palette choice and colour cycling: the radio group that loads a palette and
// operates the run toggle, the cycling button, and the ticks that recolour the
// six thumbnails from the iteration store.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "app/tfmandel.h"
#include "colour/cycling.h"
#include "colour/palette.h"
#include "platform/factorgrid.h"
#include "platform/radiogroup.h"
#include "platform/surface.h"
#include "tests/support/window_fixture.h"
#include "tests/support/distinct_palette.h"

namespace {

constexpr std::int32_t kMaxPhase = std::numeric_limits<std::int32_t>::max();

PaletteTable stored(const char *name)
{
    const PaletteTable saved = activePalette;
    LoadPalette(name);
    const PaletteTable table = activePalette;
    activePalette = saved;
    return table;
}

QRgb entryColour(const PaletteTable &t, int entry)
{
    return qRgb(t[3 * entry], t[3 * entry + 1], t[3 * entry + 2]);
}

class ColourTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_EQ(window->mandel1->size(), QSize(380, 250));
    }
    void TearDown() override
    {
        window->Timer1->stop();
        WindowTest::TearDown();
    }

    QImage shot(int n) const
    {
        return window->thumbnail(n)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // Every pixel of thumbnail n against the colour expected for the colour
    // index that the store holds for it; the first mismatch is described.
    ::testing::AssertionResult showsIndices(int n,
                                            const std::function<QRgb(int index)> &colour) const
    {
        const QImage img = shot(n);
        if (img.size() != window->mandel1->size())
            return ::testing::AssertionFailure() << "thumbnail " << n << " has another size";
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int index = window->iterations[n][x][y];
                const QRgb want = colour(index);
                if (img.pixel(x, y) != want)
                    return ::testing::AssertionFailure()
                           << "thumbnail " << n << " pixel (" << x << ", " << y << ") index "
                           << index << ": shows " << std::hex << img.pixel(x, y) << ", expected "
                           << want;
            }
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult allShowIndices(const std::function<QRgb(int index)> &colour) const
    {
        for (int n = 1; n <= 6; ++n)
            if (auto r = showsIndices(n, colour); !r)
                return r;
        return ::testing::AssertionSuccess();
    }

    // Fills the whole store by a pattern of image, column and row.
    void fillStore(const std::function<std::uint8_t(int image, int x, int y)> &pattern)
    {
        for (int i = 1; i <= 6; ++i)
            for (int x = 0; x < window->iterations.columns(); ++x)
                for (int y = 0; y < window->iterations.rows(); ++y)
                    window->iterations[i][x][y] = pattern(i, x, y);
    }

    static std::uint8_t mixed(int i, int x, int y)
    {
        return static_cast<std::uint8_t>(x + 3 * y + 17 * i);
    }

    void tick() { window->Timer1Timer(nullptr); }
};

// ---- palette choice ----

TEST_F(ColourTest, ChoosingRgbWhileIdleLoadsStandardAndRunsInItsColours)
{
    const PaletteTable standard = stored("STANDARD");
    const std::uint8_t start[] = {0, 0, 0, 0, 0, 188, 0, 188, 0};
    EXPECT_TRUE(std::equal(std::begin(start), std::end(start), standard.begin()));
    useCheapFactors();

    QTest::mouseClick(window->RadioGroup1->item(3), Qt::LeftButton);

    EXPECT_EQ(window->RadioGroup1->itemIndex(), 3);
    EXPECT_TRUE(window->RadioGroup1->item(3)->isChecked());
    EXPECT_EQ(activePalette, standard);
    EXPECT_TRUE(window->idle);
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    for (int i = 1; i <= 6; ++i)
        EXPECT_FALSE(storeIsEmpty(i)) << "image " << i;
    EXPECT_TRUE(allShowIndices([&](int index) { return entryColour(standard, index); }));
}

TEST_F(ColourTest, EachItemLoadsItsPalette)
{
    useCheapFactors();
    const char *names[] = {"VERTIGO", "SPEZIAL", "NEON", "STANDARD"};
    for (int item : {1, 2, 3, 0}) {
        QTest::mouseClick(window->RadioGroup1->item(item), Qt::LeftButton);
        EXPECT_EQ(window->RadioGroup1->itemIndex(), item);
        EXPECT_EQ(activePalette, stored(names[item])) << names[item];
        EXPECT_TRUE(window->idle);
    }
}

TEST_F(ColourTest, SpezialShowsTheSetWhite)
{
    const PaletteTable spezial = stored("SPEZIAL");
    EXPECT_EQ(entryColour(spezial, 0), qRgb(255, 255, 255));
    useCheapFactors();

    QTest::mouseClick(window->RadioGroup1->item(1), Qt::LeftButton);

    EXPECT_EQ(window->RadioGroup1->itemIndex(), 1);
    // pixel (323, 124) shows the point 0, inside the set: index 0.
    EXPECT_EQ(window->iterations[1][323][124], 0);
    EXPECT_EQ(shot(1).pixel(323, 124), qRgb(255, 255, 255));
    EXPECT_TRUE(allShowIndices([&](int index) { return entryColour(spezial, index); }));
}

TEST_F(ColourTest, ChoiceDuringARunEndsItAndTheNextTickRecolours)
{
    const PaletteTable vertigo = stored("VERTIGO");
    const PaletteTable standard = stored("STANDARD");
    useCheapFactors();
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_TRUE(allShowIndices([&](int index) { return entryColour(vertigo, index); }));
    std::vector<QImage> before;
    for (int n = 1; n <= 6; ++n)
        before.push_back(shot(n));
    const std::vector<std::uint8_t> plane1(window->iterations[1].data(),
                                           window->iterations[1].data()
                                                   + window->iterations.columns()
                                                             * window->iterations.rows());

    window->idle = false; // the choice arrives in a run's event pump
    QTest::mouseClick(window->RadioGroup1->item(3), Qt::LeftButton);

    EXPECT_TRUE(window->idle);
    EXPECT_EQ(window->RadioGroup1->itemIndex(), 3);
    EXPECT_EQ(activePalette, standard);
    // No run: the store and the thumbnails are as they were.
    EXPECT_TRUE(std::equal(plane1.begin(), plane1.end(), window->iterations[1].data()));
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(shot(n), before[n - 1]) << "thumbnail " << n;

    tick();
    EXPECT_EQ(window->cyclePhase, 1);
    EXPECT_TRUE(allShowIndices([&](int index) { return entryColour(standard, cycledEntry(index, 1)); }));
}

// ---- colour cycling ----

TEST_F(ColourTest, ButtonSwitchesTheTimerAndItsCaption)
{
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 10);
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Anhalten"));
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Farbanimation"));
    EXPECT_EQ(window->cyclePhase, 0);
}

TEST_F(ColourTest, CyclingBeforeAnyRunFillsEveryThumbnailWithEntryZero)
{
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Anhalten"));
    EXPECT_TRUE(window->Timer1->isActive());
    window->Timer1->stop(); // ticks by hand from here

    const struct
    {
        const char *palette;
        QRgb colour;
    } cases[] = {
            {"VERTIGO", qRgb(0, 0, 0)},  {"SPEZIAL", qRgb(255, 255, 255)}, {"NEON", qRgb(0, 0, 0)},
            {"STANDARD", qRgb(0, 0, 0)}, {"VERTIGO", qRgb(0, 0, 0)},
    };
    for (const auto &c : cases) {
        LoadPalette(c.palette);
        tick();
        EXPECT_TRUE(allShowIndices([&](int) { return c.colour; })) << c.palette;
    }
}

TEST_F(ColourTest, FirstTickAfterTheLayoutHasPhaseOne)
{
    const PaletteTable t = distinctPalette();
    activePalette = t;
    fillStore(mixed);
    const struct
    {
        int x;
        std::uint8_t index;
        int entry;
    } marks[] = {
            {0, 1, 3}, {1, 253, 255}, {2, 254, 1}, {3, 255, 2}, {4, 0, 0}, {5, 100, 102},
    };
    for (int i = 1; i <= 6; ++i)
        for (const auto &m : marks)
            window->iterations[i][m.x][7] = m.index;

    tick();

    EXPECT_EQ(window->cyclePhase, 1);
    for (int i = 1; i <= 6; ++i) {
        const QImage img = shot(i);
        const Picture &picture = *window->images[i];
        for (const auto &m : marks) {
            EXPECT_EQ(img.pixel(m.x, 7), entryColour(t, m.entry))
                    << "image " << i << " index " << int(m.index);
            // The picture holds blue, green, red.
            const std::uint8_t *p = picture.row(7) + 3 * m.x;
            EXPECT_EQ(p[0], t[3 * m.entry + 2]);
            EXPECT_EQ(p[1], t[3 * m.entry + 1]);
            EXPECT_EQ(p[2], t[3 * m.entry]);
        }
    }
    EXPECT_TRUE(allShowIndices([&](int index) { return entryColour(t, cycledEntry(index, 1)); }));

    // The pictures' last column and last row lie outside the thumbnails; the
    // tick leaves them white.
    for (int i = 1; i <= 6; ++i) {
        const Picture &picture = *window->images[i];
        ASSERT_EQ(picture.width(), 381);
        ASSERT_EQ(picture.height(), 251);
        for (int y = 0; y < 251; ++y)
            for (int b = 0; b < 3; ++b)
                ASSERT_EQ(picture.row(y)[3 * 380 + b], 255) << "image " << i << " row " << y;
        for (int x = 0; x < 3 * 381; ++x)
            ASSERT_EQ(picture.row(250)[x], 255) << "image " << i << " byte " << x;
    }
}

TEST_F(ColourTest, AtPhase254TheThumbnailsShowTheColoursOfTheRun)
{
    const char *factors[] = {"0", "0,5", "2", "3", "-4", "20"};
    for (int n = 1; n <= 6; ++n)
        window->tabelle->setCell(1, n, QLatin1String(factors[n - 1]));
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_TRUE(window->idle);
    std::vector<QImage> drawn;
    for (int n = 1; n <= 6; ++n)
        drawn.push_back(shot(n));

    window->cyclePhase = 100;
    tick();
    int differing = 0;
    for (int n = 1; n <= 6; ++n)
        differing += shot(n) != drawn[n - 1];
    EXPECT_EQ(differing, 6) << "a shifted palette shows other colours";

    for (std::int32_t before : {253, 508, 763}) {
        window->cyclePhase = before;
        tick();
        EXPECT_EQ(window->cyclePhase, before + 1);
        for (int n = 1; n <= 6; ++n)
            EXPECT_EQ(shot(n), drawn[n - 1]) << "thumbnail " << n << " at phase " << before + 1;
    }
}

TEST_F(ColourTest, IndexZeroNeverChangesColour)
{
    const PaletteTable t = distinctPalette();
    activePalette = t;
    fillStore(mixed);
    std::vector<std::pair<int, int>> zeros; // of image 2
    for (int x = 0; x < 380; ++x)
        for (int y = 0; y < 250; ++y)
            if (window->iterations[2][x][y] == 0)
                zeros.emplace_back(x, y);
    ASSERT_GT(zeros.size(), 100u);
    window->iterations[2][11][13] = 5;

    int previousEntry = -1;
    for (int k = 0; k < 300; ++k) {
        tick();
        const Picture &picture = *window->images[2];
        for (auto [x, y] : zeros) {
            const std::uint8_t *p = picture.row(y) + 3 * x;
            ASSERT_EQ(p[2], 0) << "phase " << window->cyclePhase << " at " << x << "," << y;
            ASSERT_EQ(p[1], 0);
            ASSERT_EQ(p[0], 255);
        }
        // A non-zero index moves one entry each tick.
        const int entry = picture.row(13)[3 * 11 + 2]; // red byte = entry
        if (previousEntry >= 0)
            ASSERT_EQ(entry, previousEntry % 255 + 1) << "phase " << window->cyclePhase;
        previousEntry = entry;
        if (k % 100 == 99)
            EXPECT_TRUE(showsIndices(2, [&](int index) {
                return entryColour(t, cycledEntry(index, window->cyclePhase));
            }));
    }
    EXPECT_EQ(window->cyclePhase, 300);
}

TEST_F(ColourTest, OffAndOnResumesThePhase)
{
    useCheapFactors();
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->cyclePhase >= 3; }, 2000));
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Farbanimation"));
    const std::int32_t stopped = window->cyclePhase;
    EXPECT_GT(stopped, 0);

    // While off, nothing ticks and the thumbnails keep the last colours.
    std::vector<QImage> last;
    for (int n = 1; n <= 6; ++n)
        last.push_back(shot(n));
    QTest::qWait(60);
    EXPECT_EQ(window->cyclePhase, stopped);
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(shot(n), last[n - 1]) << "thumbnail " << n;
    EXPECT_TRUE(allShowIndices(
            [&](int index) { return entryColour(activePalette, cycledEntry(index, stopped)); }));

    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Anhalten"));
    EXPECT_EQ(window->cyclePhase, stopped);
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Farbanimation"));
    tick();
    EXPECT_EQ(window->cyclePhase, stopped + 1);
}

TEST_F(ColourTest, PhaseWrapsFromTheTopOfTheRangeTo255)
{
    const PaletteTable t = distinctPalette();
    activePalette = t;
    fillStore(mixed);
    for (int i = 1; i <= 6; ++i) {
        window->iterations[i][0][0] = 255;
        window->iterations[i][1][0] = 1;
    }

    window->cyclePhase = kMaxPhase - 1;
    tick();
    EXPECT_EQ(window->cyclePhase, kMaxPhase);
    EXPECT_EQ(shot(1).pixel(0, 0), entryColour(t, 128));
    EXPECT_EQ(shot(1).pixel(1, 0), entryColour(t, 129));
    EXPECT_TRUE(allShowIndices([&](int index) { return entryColour(t, cycledEntry(index, kMaxPhase)); }));

    tick();
    EXPECT_EQ(window->cyclePhase, 255);
    EXPECT_EQ(shot(1).pixel(0, 0), entryColour(t, 1));
    EXPECT_EQ(shot(1).pixel(1, 0), entryColour(t, 2));
    EXPECT_TRUE(allShowIndices([&](int index) { return entryColour(t, cycledEntry(index, 255)); }));
}

TEST_F(ColourTest, LayoutRestartsThePhaseAndTheNextTickShowsTheStoreAtTheNewSize)
{
    const PaletteTable t = distinctPalette();
    activePalette = t;
    // No zeros in the store: the cells that a larger layout adds are its only zeros.
    fillStore([](int i, int x, int y) { return static_cast<std::uint8_t>((x + y + i) % 255 + 1); });
    window->cyclePhase = 1000;

    window->MaPanel->resize(1361, 900); // thumbnails 499 x 299
    QCoreApplication::processEvents();
    EXPECT_EQ(window->cyclePhase, 0);
    ASSERT_EQ(window->mandel1->size(), QSize(499, 299));
    tick();
    EXPECT_EQ(window->cyclePhase, 1);
    for (int n : {1, 6}) {
        const QImage img = shot(n);
        ASSERT_EQ(img.size(), QSize(499, 299));
        for (int y = 0; y < 299; y += 3)
            for (int x = 0; x < 499; x += 3) {
                const bool old = x < 382 && y < 252;
                const int entry = old ? cycledEntry((x + y + n) % 255 + 1, 1) : 0;
                ASSERT_EQ(img.pixel(x, y), entryColour(t, entry)) << n << " " << x << "," << y;
            }
    }

    window->MaPanel->resize(1124, 754);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->cyclePhase, 0);
    EXPECT_EQ(window->mandel1->size(), QSize(380, 250));
}

TEST_F(ColourTest, TimerTicksArriveThroughTheEventLoop)
{
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    const std::int32_t start = window->cyclePhase;
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->cyclePhase >= start + 2; }, 2000));
    QTest::mouseClick(window->Button1, Qt::LeftButton);
}

TEST_F(ColourTest, TicksRunInsideTheEventPumpsOfARun)
{
    // A progress check with its event pump after every row; the run handles
    // the timer's ticks there. A press of the button in a later pump ends it.
    window->progressInterval = {};
    useCheapFactors();
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    ASSERT_EQ(window->cyclePhase, 0);
    std::int32_t phaseAtAbort = -1;
    QTimer abort;
    abort.setInterval(1);
    QObject::connect(&abort, &QTimer::timeout, [&] {
        if (phaseAtAbort >= 0 || !window->runInProgress() || window->cyclePhase < 3)
            return;
        phaseAtAbort = window->cyclePhase;
        QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    });
    abort.start();

    // The click returns when the run has ended; no event was handled outside it.
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);

    EXPECT_GE(phaseAtAbort, 3) << "ticks came in the pumps before the abort";
    EXPECT_GE(window->cyclePhase, phaseAtAbort);
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->runInProgress());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Anhalten"));
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    EXPECT_FALSE(storeIsEmpty(1));
    QTest::mouseClick(window->Button1, Qt::LeftButton);
}

TEST_F(ColourTest, DuringARunFinishedImagesCycleAndTheImageUnderComputationShowsItsWorkPicture)
{
    // A pump after every row. In the first pump of image 3 a tick recolours
    // the thumbnails; then cycling stops and the run is ended there, so what
    // the thumbnails show afterwards is that tick's view, and over thumbnail
    // 3 the renderer's own drawing of the rows computed so far.
    window->progressInterval = {};
    useCheapFactors();
    const PaletteTable palette = activePalette;
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    std::int32_t phase = -1;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (phase >= 0 || !window->runInProgress() || storeIsEmpty(3))
            return;
        tick();
        phase = window->cyclePhase;
        EXPECT_TRUE(showsIndices(1, [&](int index) {
            return entryColour(palette, cycledEntry(index, phase));
        })) << "a finished image cycles in the pump";
        QTest::mouseClick(window->Button1, Qt::LeftButton);
        QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    });
    probe.start();
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    ASSERT_GE(phase, 1);

    EXPECT_TRUE(showsIndices(2, [&](int index) {
        return entryColour(palette, cycledEntry(index, phase));
    }));
    // Thumbnail 3: rows computed so far in the palette's own colours, the
    // rows below white.
    const QImage three = shot(3);
    int computed = 0, white = 0;
    for (int y = 0; y < three.height(); ++y) {
        bool asComputed = true, allWhite = true;
        for (int x = 0; x < three.width(); ++x) {
            asComputed = asComputed
                         && three.pixel(x, y)
                                == entryColour(palette, window->iterations[3][x][y]);
            allWhite = allWhite && three.pixel(x, y) == qRgb(255, 255, 255);
        }
        ASSERT_TRUE(asComputed || allWhite) << "row " << y;
        ASSERT_TRUE(allWhite || white == 0) << "a computed row below a white one: " << y;
        computed += asComputed && !allWhite;
        white += allWhite;
    }
    EXPECT_GT(computed, 0);
    EXPECT_GT(white, 0);
}

TEST_F(ColourTest, TicksReuseTheSixPictures)
{
    fillStore(mixed);
    const Picture *pictures[7] = {};
    const std::uint8_t *rows[7] = {};
    const uchar *surfaces[7] = {};
    for (int i = 1; i <= 6; ++i) {
        pictures[i] = window->images[i].get();
        rows[i] = std::as_const(*window->images[i]).row(0);
        surfaces[i] = window->thumbnail(i)->retained().constBits();
    }
    for (int k = 0; k < 20; ++k)
        tick();
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(window->images[i].get(), pictures[i]) << i;
        EXPECT_EQ(std::as_const(*window->images[i]).row(0), rows[i]) << i;
        EXPECT_EQ(window->thumbnail(i)->retained().constBits(), surfaces[i]) << i;
    }
}

} // namespace
