// Re-centring from a thumbnail: the point under a press, written into the
// edit fields, and the run toggle that the press operates.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

#include "app/tfmandel.h"
#include "colour/palette.h"
#include "numtext/numtext.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/recentre.h"
#include "tests/support/presstable.h"
#include "tests/support/window_fixture.h"

namespace {

class RecentreTest : public WindowTest
{
protected:
    // A press and release of `button` at `pos` of `widget`, delivered through
    // the window like a real mouse: the window finds the widget under it.
    void click(QWidget *widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(window->windowHandle(), button, {}, widget->mapTo(window.get(), pos));
    }

    bool thumbnailIsWhite(int n) const
    {
        const QImage shot = window->thumbnail(n)->grab().toImage();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) != QColor(Qt::white))
                    return false;
        return true;
    }
};

TEST_F(RecentreTest, PressesOfAnyButtonWriteTheTableIntoTheFields)
{
    // A run "in progress": each press only rewrites the fields and asks the
    // run to end, so no image is computed here.
    const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    int k = 0;
    for (const auto &c : kPressTable) {
        window->tabelle->setCell(1, 1, QStringLiteral("10"));
        if (c.factor)
            window->tabelle->setCell(1, c.thumbnail, QString::fromUtf8(c.factor));
        window->idle = false;
        const Qt::MouseButton button = buttons[k++ % 3];
        click(window->thumbnail(c.thumbnail), QPoint(c.x, c.y), button);
        EXPECT_EQ(window->Edit1->text().toStdString(), c.edit1)
                << describe(c) << " button " << button;
        EXPECT_EQ(window->Edit2->text().toStdString(), c.edit2)
                << describe(c) << " button " << button;
        EXPECT_TRUE(window->idle) << describe(c);
        // The press does not move the target; the next run takes it over.
        EXPECT_EQ(window->target.re, -1.41);
        EXPECT_EQ(window->target.im, 0.0);
        if (c.factor)
            window->tabelle->setCell(1, c.thumbnail,
                                     QStringLiteral("1") + QString(c.thumbnail, QLatin1Char('0')));
    }
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(storeIsEmpty(i)) << "image " << i;
}

TEST_F(RecentreTest, PressIsMeasuredAgainstTheCurrentTargetAndCell)
{
    window->target = {0.5, 0.25}; // as after a drag of the marker
    window->tabelle->setCell(1, 5, QStringLiteral("2"));
    window->idle = false;
    click(window->mandel5, {0, 250 / 2});
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("-0,5"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0,25"));
}

TEST_F(RecentreTest, PressBeforeAnyRunStartsTheFirstRunAtThePressedPoint)
{
    useCheapFactors();
    ASSERT_TRUE(window->idle);
    ASSERT_TRUE(thumbnailIsWhite(1));
    const ComplexPoint expected = recentrePoint({-1.41, 0.0}, 1.0, 380, 250, 95, 60);

    click(window->mandel2, {95, 60});

    EXPECT_EQ(window->Edit1->text().toStdString(), FormatReal(1, 12, expected.re));
    EXPECT_EQ(window->Edit2->text().toStdString(), FormatReal(1, 12, expected.im));
    // The run read the point back from the fields, rounded to twelve decimals.
    EXPECT_EQ(window->target.re, ReadReal(window->Edit1));
    EXPECT_EQ(window->target.im, ReadReal(window->Edit2));
    EXPECT_NEAR(window->target.re, expected.re, 1e-12);
    EXPECT_NEAR(window->target.im, expected.im, 1e-12);
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->runInProgress());
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));

    // All six images were drawn in the colours of their indices.
    for (int n = 1; n <= 6; ++n) {
        EXPECT_FALSE(storeIsEmpty(n)) << "image " << n;
        const QImage shot = window->thumbnail(n)->grab().toImage();
        for (int y = 0; y < 250; y += 7)
            for (int x = 0; x < 380; x += 5) {
                const std::uint8_t *e = activePalette.data() + 3 * window->iterations[n][x][y];
                ASSERT_EQ(shot.pixelColor(x, y), QColor(e[0], e[1], e[2]))
                        << n << " " << x << "," << y;
            }
    }
}

TEST_F(RecentreTest, DoubleClickIsTwoPresses)
{
    useCheapFactors();
    int presses = 0;
    QObject::connect(window->mandel1, &PaintSurface::mousePressed, [&] { ++presses; });
    // During a run, the first press ends the run; the second press, found
    // idle, starts a new run at the point.
    window->idle = false;
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {},
                       window->mandel1->mapTo(window.get(), QPoint(0, 0)));
    EXPECT_EQ(presses, 2);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("-3,41"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("1,315789473684"));
    EXPECT_EQ(window->target.re, ReadReal(window->Edit1));
    EXPECT_EQ(window->target.im, ReadReal(window->Edit2));
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(storeIsEmpty(6));
}

TEST_F(RecentreTest, PressDuringARunRewritesTheFieldsAndEndsTheRun)
{
    // A progress check with its event pump after every row: the press
    // arrives in the first pump, after row 0 of image 1.
    window->progressInterval = {};
    window->Edit1->setText(QStringLiteral("-1,25"));
    for (int n = 1; n <= 6; ++n)
        window->tabelle->setCell(1, n, QStringLiteral("1000000"));
    window->tabelle->setCell(1, 3, QStringLiteral("0"));
    bool pressedDuringRun = false;
    QTimer press;
    press.setSingleShot(true);
    QObject::connect(&press, &QTimer::timeout, [&] {
        pressedDuringRun = window->runInProgress() && !window->idle;
        click(window->mandel3, {0, 0}, Qt::RightButton);
    });
    press.start(0);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();

    EXPECT_TRUE(pressedDuringRun);
    // Measured against the target that the run took over.
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("-3,25"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("1,315789473684"));
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->runInProgress());
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    // The target stays the one of the stopped run; no new run took the point.
    EXPECT_EQ(window->target.re, -1.25);
    EXPECT_EQ(window->target.im, 0.0);
    // The run stopped in image 1, drawn as far as it came (index 0, black,
    // around -1.25); the images after it were never begun.
    EXPECT_EQ(window->mandel1->grab().toImage().pixelColor(0, 0), QColor(Qt::black));
    for (int i = 2; i <= 6; ++i) {
        EXPECT_TRUE(storeIsEmpty(i)) << "image " << i;
        EXPECT_TRUE(thumbnailIsWhite(i)) << "image " << i;
    }
    EXPECT_LT(elapsed, 2000);
}

TEST_F(RecentreTest, FactorBeyondTheDoubleRangeIsReportedAndChangesNothing)
{
    window->tabelle->setCell(1, 4, QStringLiteral("1E400"));
    for (bool running : {false, true}) {
        ModalWatcher watcher;
        window->idle = !running;
        click(window->mandel4, {10, 10});
        EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.seen == 1; }));
        EXPECT_EQ(watcher.seen, 1);
        EXPECT_EQ(watcher.text, QStringLiteral("Floating point overflow."));
        EXPECT_EQ(watcher.title, QStringLiteral("Mandelbrotmenge"));
        EXPECT_EQ(watcher.icon, QMessageBox::Critical);
        EXPECT_EQ(window->Edit1->text(), QStringLiteral("-1,41"));
        EXPECT_EQ(window->Edit2->text(), QStringLiteral("0"));
        // No run started, and a run in progress was not asked to stop.
        EXPECT_EQ(window->idle, !running) << running;
        EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
        EXPECT_EQ(window->target.re, -1.41);
    }
    window->idle = true;
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(storeIsEmpty(i)) << "image " << i;
    EXPECT_TRUE(thumbnailIsWhite(4));
}

} // namespace
