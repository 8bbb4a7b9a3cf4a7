// The overview map: the marker at start, grabbing and dragging it with real
// mouse events, and what does not move it.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "app/tfmandel.h"
#include "platform/surface.h"
#include "overview/overviewmap.h"
#include "tests/support/window_fixture.h"

namespace {

const QColor kBlue(0, 0, 255);

QImage overviewShot(Tfmandel &w)
{
    return w.Paintbox->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class OverviewTest : public WindowTest
{
protected:
    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mousePress(window->Paintbox, b, {}, p);
    }
    // Moves and releases are sent as they come during a drag: to the paint
    // box, wherever the pointer is (QTest would take (0, 0) for the centre).
    void move(QPoint p) { send(QEvent::MouseMove, p, Qt::NoButton); }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton)
    {
        send(QEvent::MouseButtonRelease, p, b);
    }
    void send(QEvent::Type type, QPoint p, Qt::MouseButton b)
    {
        QMouseEvent event(type, QPointF(p), QPointF(window->Paintbox->mapToGlobal(p)), b,
                          type == QEvent::MouseMove ? Qt::MouseButtons(Qt::LeftButton)
                                                    : Qt::MouseButtons(),
                          Qt::NoModifier);
        QApplication::sendEvent(window->Paintbox, &event);
    }
    QString edit1() const { return window->Edit1->text(); }
    QString edit2() const { return window->Edit2->text(); }
};

TEST_F(OverviewTest, TheMarkerStandsOnTheStartTarget)
{
    EXPECT_EVENTUALLY_EQ(overviewShot(*window).pixelColor(90, 160), kBlue);
    const QImage shot = overviewShot(*window);
    const QImage &picture = window->overviewPicture();
    ASSERT_EQ(picture.size(), QSize(329, 321));
    // The disc, 86 ... 93 by 156 ... 163: blue inside its outline, the stored
    // picture away from it.
    for (QPoint p : {QPoint(88, 158), QPoint(91, 161), QPoint(90, 157)})
        EXPECT_EQ(shot.pixelColor(p), kBlue) << p.x() << ',' << p.y();
    for (QPoint p :
         {QPoint(0, 0), QPoint(328, 320), QPoint(90, 150), QPoint(100, 160), QPoint(200, 100)})
        EXPECT_EQ(shot.pixel(p), picture.pixel(p)) << p.x() << ',' << p.y();
}

TEST_F(OverviewTest, APressGrabsTheMarkerOnlyWithinItsSquare)
{
    const struct
    {
        QPoint at;
        bool grabs;
    } cases[] = {
            {{94, 164}, true},  {{86, 156}, true},  {{90, 160}, true},
            {{86, 164}, true},  {{95, 160}, false}, {{90, 155}, false},
            {{85, 160}, false}, {{90, 165}, false}, {{200, 40}, false},
    };
    for (const auto &c : cases) {
        window->dragging = false;
        window->dragIndex = 0;
        press(c.at, Qt::LeftButton);
        EXPECT_EQ(window->dragging, c.grabs) << c.at.x() << ',' << c.at.y();
        EXPECT_EQ(window->dragIndex, c.grabs ? 1 : 0);
        // A press writes nothing.
        EXPECT_EQ(edit1(), QStringLiteral("-1,41"));
        EXPECT_EQ(edit2(), QStringLiteral("0"));
        window->dragging = false;
        release(c.at, Qt::LeftButton);
    }
}

TEST_F(OverviewTest, DraggingWritesTheTargetAndTheFieldsAndMovesTheMarker)
{
    const struct
    {
        QPoint to;
        const char *re, *im;
    } cases[] = {
            {{90, 160}, "-1,405775076", "0,0062305296"},
            {{0, 0}, "-2,5", "2"},
            {{329, 321}, "1,5", "-2"},
            {{100, 50}, "-1,2841945289", "1,3769470405"},
            {{-10, 0}, "-2,6215805471", "2"},
            {{144, 150}, "-0,7492401216", "0,1308411215"},
    };
    press({90, 160});
    ASSERT_TRUE(window->dragging);
    for (const auto &c : cases) {
        move(c.to);
        EXPECT_EQ(edit1(), QLatin1String(c.re)) << c.to.x() << ',' << c.to.y();
        EXPECT_EQ(edit2(), QLatin1String(c.im));
        EXPECT_EQ(window->Edit1->text(), QLatin1String(c.re));
        // The target is the pixel's plane point, and the overview shows it at once.
        EXPECT_DOUBLE_EQ(window->target.re, (4.0L * c.to.x()) / 329 - 2.5L);
        if (c.to.x() >= 0 && c.to.x() < 329 && c.to.y() >= 0 && c.to.y() < 321)
            EXPECT_EQ(window->Paintbox->retained().pixelColor(c.to), kBlue);
        // Left of the picture the marker is clipped away whole: the overview
        // shows the stored picture alone.
        if (c.to.x() == -10)
            EXPECT_EQ(window->Paintbox->retained().convertToFormat(QImage::Format_RGB32),
                      window->overviewPicture().convertToFormat(QImage::Format_RGB32));
    }
    release({144, 150});
    EXPECT_FALSE(window->dragging);
    EXPECT_EQ(edit1(), QStringLiteral("-0,7492401216"));
    EXPECT_EQ(edit2(), QStringLiteral("0,1308411215"));
    EXPECT_EQ(window->Paintbox->retained().pixelColor(144, 150), kBlue);
    EXPECT_NE(window->Paintbox->retained().pixelColor(90, 160), kBlue);

    // After the release, moves change nothing.
    move({10, 10});
    EXPECT_EQ(edit1(), QStringLiteral("-0,7492401216"));
}

TEST_F(OverviewTest, EveryButtonGrabsAndAReleaseWithoutDragChangesNothing)
{
    release({90, 160});
    EXPECT_FALSE(window->dragging);
    EXPECT_EQ(edit1(), QStringLiteral("-1,41"));

    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        press({90, 160}, b);
        EXPECT_TRUE(window->dragging);
        move({100, 50});
        EXPECT_EQ(edit1(), QStringLiteral("-1,2841945289"));
        release({100, 50}, b);
        EXPECT_FALSE(window->dragging);
        press({100, 50}, b);
        move({90, 160});
        release({90, 160}, b);
    }
}

TEST_F(OverviewTest, APressAwayFromTheMarkerDuringADragLeavesItGoing)
{
    press({90, 160}, Qt::LeftButton);
    move({100, 50});
    press({300, 300}, Qt::RightButton);
    EXPECT_TRUE(window->dragging);
    EXPECT_EQ(edit1(), QStringLiteral("-1,2841945289"));
    move({0, 0});
    EXPECT_EQ(edit1(), QStringLiteral("-2,5"));
    release({0, 0}, Qt::RightButton);
    EXPECT_FALSE(window->dragging);
}

TEST_F(OverviewTest, OnlyTheLeftButtonCapturesThePointer)
{
    // Events as Qt hands them to the box after a press on it, whichever the
    // button: also from outside the box.
    const auto deliver = [&](QEvent::Type type, QPoint p, Qt::MouseButton button,
                             Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(p), QPointF(window->Paintbox->mapToGlobal(p)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(window->Paintbox, &event);
    };
    const QEvent::Type kPress = QEvent::MouseButtonPress, kMove = QEvent::MouseMove,
                       kRelease = QEvent::MouseButtonRelease;
    const struct
    {
        QEvent::Type type;
        QPoint at;
        Qt::MouseButton button;
        Qt::MouseButtons held;
        bool dragging;
        const char *edit1;
    } steps[] = {
            {kPress, {90, 160}, Qt::RightButton, Qt::RightButton, true, "-1,41"},
            {kMove, {100, 50}, Qt::NoButton, Qt::RightButton, true, "-1,2841945289"},
            // No capture: what happens outside the box does not reach it.
            {kMove, {400, 200}, Qt::NoButton, Qt::RightButton, true, "-1,2841945289"},
            {kRelease, {400, 200}, Qt::RightButton, Qt::NoButton, true, "-1,2841945289"},
            // The drag goes on over the box, with no button held, until a
            // release over the box.
            {kMove, {144, 150}, Qt::NoButton, Qt::NoButton, true, "-0,7492401216"},
            {kPress, {-5, 40}, Qt::MiddleButton, Qt::MiddleButton, true, "-0,7492401216"},
            {kRelease, {-5, 40}, Qt::MiddleButton, Qt::NoButton, true, "-0,7492401216"},
            {kMove, {0, 0}, Qt::NoButton, Qt::NoButton, true, "-2,5"},
            {kRelease, {100, 50}, Qt::MiddleButton, Qt::NoButton, false, "-1,2841945289"},
            // The left button captures: its drag follows the pointer outside,
            // and its release outside ends the drag.
            {kPress, {100, 50}, Qt::LeftButton, Qt::LeftButton, true, "-1,2841945289"},
            {kMove, {-10, 0}, Qt::NoButton, Qt::LeftButton, true, "-2,6215805471"},
            {kRelease, {400, 0}, Qt::LeftButton, Qt::NoButton, false, "2,3632218845"},
            {kMove, {90, 160}, Qt::NoButton, Qt::NoButton, false, "2,3632218845"},
    };
    int n = 0;
    for (const auto &s : steps) {
        deliver(s.type, s.at, s.button, s.held);
        EXPECT_EQ(window->dragging, s.dragging) << "step " << n;
        EXPECT_EQ(edit1(), QLatin1String(s.edit1)) << "step " << n;
        ++n;
    }
}

TEST_F(OverviewTest, OtherButtonsCaptureNothingAnywhereInTheWindow)
{
    // Events from the window system, addressed as Qt does: after a press of
    // any button, to the widget that took it, until all buttons are up.
    useCheapFactors();
    QWidget *panel = window->Panel3;
    const auto at = [&](QWidget *to, QWidget *from, QPoint p) {
        return to->mapFrom(window.get(), from->mapTo(window.get(), p));
    };
    const QPoint blank = at(panel, window.get(), QPoint(60, 530));
    QTest::mousePress(window->Paintbox, Qt::RightButton, {}, QPoint(90, 160));
    QTest::mouseRelease(window->Paintbox, Qt::RightButton, {}, at(window->Paintbox, panel, blank));
    EXPECT_TRUE(window->dragging) << "a release outside the box reached it";
    // A right press on the panel takes nothing: the moves and the release
    // over the box reach the box.
    QTest::mousePress(panel, Qt::RightButton, {}, blank);
    QTest::mouseMove(panel, at(panel, window->Paintbox, QPoint(144, 150)));
    EXPECT_EQ(edit1(), QStringLiteral("-0,7492401216"));
    QTest::mouseRelease(panel, Qt::RightButton, {}, at(panel, window->Paintbox, QPoint(144, 150)));
    EXPECT_FALSE(window->dragging);
    // With the right button held from a press on the box, a left press on
    // thumbnail 1 re-centres and runs there.
    QTest::mousePress(window->Paintbox, Qt::RightButton, {}, QPoint(144, 150));
    const QPoint thumb = at(window->Paintbox, window->mandel1, QPoint(10, 10));
    QTest::mousePress(window->Paintbox, Qt::LeftButton, {}, thumb);
    QTest::mouseRelease(window->Paintbox, Qt::LeftButton, {}, thumb);
    QTest::mouseRelease(window->Paintbox, Qt::RightButton, {}, thumb);
    EXPECT_NE(edit1(), QStringLiteral("-0,7492401216")) << "no re-centring";
    EXPECT_NE(window->mandel6->retained().pixelColor(0, 0), QColor(Qt::white)) << "no run";
}

TEST_F(OverviewTest, TheMarkerIsTheDiscInsideItsBoundingBox)
{
    // The drawing service's disc for the box (x-4, y-4, x+4, y+4): its right
    // and bottom edges lie outside, so it covers x-4 ... x+3, y-4 ... y+3.
    // At (40, 40) the picture is one band, neither blue nor black.
    window->target = pixelToPlane(40, 40, 329, 321);
    window->PaintboxPaint();
    const QImage shot = window->Paintbox->retained().convertToFormat(QImage::Format_RGB32);
    const QImage picture = window->overviewPicture().convertToFormat(QImage::Format_RGB32);
    QRect covered;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) != picture.pixel(x, y))
                covered |= QRect(x, y, 1, 1);
    EXPECT_EQ(covered, QRect(QPoint(36, 36), QPoint(43, 43)));
    EXPECT_EQ(shot.pixelColor(40, 40), kBlue);
    EXPECT_EQ(shot.pixelColor(36, 40), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(43, 40), QColor(Qt::black));
}

TEST_F(OverviewTest, TypedFieldsMoveNeitherTargetNorMarker)
{
    QTest::mouseClick(window->Edit1, Qt::LeftButton);
    window->Edit1->selectAll();
    QTest::keyClicks(window->Edit1, QStringLiteral("0,25"));
    window->Edit2->setText(QStringLiteral("0,5"));
    window->PaintboxPaint();
    EXPECT_EQ(window->target.re, -1.41);
    EXPECT_EQ(window->Paintbox->retained().pixelColor(90, 160), kBlue);
    // The old place is no grab area for a new target: only the marker's square is.
    press({90, 160});
    EXPECT_TRUE(window->dragging);
    release({90, 160});
}

TEST_F(OverviewTest, ATypedTargetReachesTheMarkerAtTheEndOfTheNextRun)
{
    window->Edit1->setText(QStringLiteral("0,25"));
    window->Edit2->setText(QStringLiteral("0,5"));
    window->PaintboxPaint();
    EXPECT_EQ(window->Paintbox->retained().pixelColor(90, 160), kBlue);
    useCheapFactors();
    window->ZeichnenClick(window->Zeichnen);
    const PixelPoint typed = planeToPixel(0.25, 0.5, 329, 321);
    EXPECT_EQ(window->Paintbox->retained().pixelColor(int(typed.x), int(typed.y)), kBlue);
    EXPECT_NE(window->Paintbox->retained().pixelColor(90, 160), kBlue);
}

} // namespace
