// Everything a person can do, many times over and inside runs: no crash, no
// stuck state, no growing memory. Also any text in the fields and cells.
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <malloc.h>

#include "app/tfmandel.h"
#include "platform/factorgrid.h"
#include "platform/radiogroup.h"
#include "platform/surface.h"
#include "tests/support/window_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

namespace {

std::size_t heapInUse()
{
    return mallinfo2().uordblks;
}

class StressTest : public WindowTest
{};

TEST_F(StressTest, HundredsOfRandomActionsInsideRuns)
{
    // Cheap images, and an event pump after every row, so that every action
    // lands inside a run.
    const char *factors[] = {"0", "10", "0", "10", "0", "10"};
    for (int n = 1; n <= 6; ++n)
        window->tabelle->setCell(1, n, QLatin1String(factors[n - 1]));
    window->progressInterval = {};
    QTest::mouseClick(window->Button1, Qt::LeftButton);
    ASSERT_TRUE(window->Timer1->isActive());

    std::mt19937 random(20261208);
    int actions = 0;
    int deepest = 0;
    // One action at each event pump: a call that posts itself again, so that
    // the run's next pump takes it (a timer would wait for the loop to idle).
    QObject context;
    std::function<void()> act = [&] {
        if (actions >= 400)
            return;
        QMetaObject::invokeMethod(&context, act, Qt::QueuedConnection);
        deepest = std::max(deepest, window->runDepth());
        if (window->runDepth() == 0)
            return;
        if (window->runDepth() > 3) {
            // Deep enough: the user aborts the run.
            if (!window->idle)
                QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
            return;
        }
        ++actions;
        switch (random() % 8) {
        case 0:
        case 1:
            QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
            break;
        case 2:
        case 3: {
            PaintSurface *thumb = window->thumbnail(1 + static_cast<int>(random() % 6));
            const QPoint at(static_cast<int>(random() % thumb->width()),
                            static_cast<int>(random() % thumb->height()));
            const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
            QTest::mouseClick(thumb, buttons[random() % 3], {}, at);
            break;
        }
        case 4:
        case 5:
            QTest::mouseClick(window->RadioGroup1->item(static_cast<int>(random() % 4)),
                              Qt::LeftButton);
            break;
        case 6:
            QTest::mouseClick(window->Button1, Qt::LeftButton);
            break;
        case 7:
            if (window->isMaximized())
                window->showNormal();
            else
                window->showMaximized();
            break;
        }
    };
    act();
    while (actions < 400) {
        if (window->idle)
            QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    EXPECT_EVENTUALLY(!window->runInProgress());
    window->showNormal();
    EXPECT_EVENTUALLY_EQ(window->size(), QSize(1124, 754));

    EXPECT_GT(deepest, 3);
    EXPECT_TRUE(window->idle);
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    EXPECT_EQ(window->Button1->text(), window->Timer1->isActive()
                                               ? QStringLiteral("Anhalten")
                                               : QStringLiteral("Farbanimation"));
    EXPECT_EVENTUALLY_EQ(window->mandel1->size(), QSize(380, 250));
    EXPECT_EQ(window->iterations.columns(), 382);
    // The window still works: a plain run from here ends normally.
    window->Timer1->stop();
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    EXPECT_TRUE(window->idle);
}

TEST_F(StressTest, ColourCyclingDoesNotGrowMemory)
{
    for (int n = 1; n <= 6; ++n)
        window->tabelle->setCell(1, n, QStringLiteral("10"));
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    // The heap's bytes in use, to the byte: a tick that kept as little as 64
    // bytes would add 19 KiB over these ticks; a picture or table per tick
    // far more.
    const int ticks = 300;
    const Picture *pictures[7] = {};
    for (int i = 1; i <= 6; ++i)
        pictures[i] = window->images[i].get();
    for (int t = 0; t < 50; ++t)
        window->Timer1Timer(nullptr);
    const std::size_t before = heapInUse();
    for (int t = 0; t < ticks; ++t)
        window->Timer1Timer(nullptr);
    const std::size_t after = heapInUse();
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(window->images[i].get(), pictures[i]);
    if (!kSanitized)
        EXPECT_LT(after, before + 16 * 1024) << "bytes grown over " << ticks << " ticks";
}

TEST_F(StressTest, AnyTypedTextIsReadWithoutHarm)
{
    useCheapFactors();
    const QString texts[] = {
            QString(100000, QLatin1Char('9')),
            QString(5000, QLatin1Char('1')) + QStringLiteral("E-5000"),
            QStringLiteral("Größe ÄÖÜ ß €"),
            QStringLiteral("\t1,5"),
            QStringLiteral("１２３"), // full-width digits
            QStringLiteral("1e99999999999999999999"),
            QStringLiteral("-,E-"),
            QString(70000, QLatin1Char(',')),
            QStringLiteral("😀"),
            QStringLiteral("0x1p3"),
    };
    ModalWatcher watcher;
    int reports = 0;
    for (const QString &text : texts) {
        window->Edit1->setText(text);
        window->Edit2->setText(text);
        window->tabelle->setCell(1, 3, text);
        QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
        EXPECT_EVENTUALLY(window->idle);
        EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
        // A press on a thumbnail (as during a run) reads the cell and writes
        // the fields; a cell beyond the double range is reported and changes
        // nothing.
        window->idle = false;
        const int before = watcher.seen;
        QTest::mouseClick(window->mandel3, Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(window->idle, watcher.seen == before);
        window->idle = true;
        reports = watcher.seen;
    }
    // Only values beyond the double range are reported.
    EXPECT_GE(reports, 2);
    // Typing into the grid's editor.
    window->tabelle->setFocus();
    window->tabelle->setCurrentCell(4, 1);
    QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Udiaeresis, Qt::NoModifier, QStringLiteral("ü"));
    QApplication::sendEvent(window->tabelle, &umlaut);
    auto *editor = window->tabelle->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QString(2000, QLatin1Char('7')));
    EXPECT_EQ(window->tabelle->cell(1, 4).size(), 2001);
}

} // namespace
