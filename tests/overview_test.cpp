// The overview map: the marker at start, grabbing and dragging it with real
// mouse events, and what does not move it.
#include <QLineEdit>
#include <QPushButton>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "app/tfmandel.h"
#include "platform/surface.h"
#include "overview/overviewmap.h"
#include "tests/window_fixture.h"

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
    // The disc: blue around its centre, the stored picture away from it.
    for (QPoint p : {QPoint(88, 158), QPoint(92, 162), QPoint(90, 157)})
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
