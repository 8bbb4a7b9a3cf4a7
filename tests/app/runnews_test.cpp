// What a run and the buttons say to a screen reader as news: the start, the
// end with the thumbnails' factors and the target, an abort after the images
// that were finished, a nested run's news only, and a caption only when its
// button has the focus.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/tfmandel.h"
#include "platform/accessibleannouncer.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "tests/support/window_fixture.h"

namespace {

class RunNewsTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        observeAnnouncements([this](const QString &text) { said.append(text); });
        // Away from the buttons, whose captions are said while they have it.
        window->Edit1->setFocus();
    }
    // What was said, one message after the other.
    std::string heard() const { return said.join(QStringLiteral(" | ")).toStdString(); }
    void TearDown() override
    {
        observeAnnouncements({});
        WindowTest::TearDown();
    }
    void setFactors(const QStringList &texts)
    {
        for (int n = 1; n <= 6; ++n)
            window->tabelle->setCell(1, n, texts.value(n - 1));
    }
    // Calls `press` once, at the first event pump of a run after image
    // `finished` was drawn whole.
    void pressAfterImage(int finished, const std::function<void()> &press)
    {
        window->progressInterval = {}; // an event pump after every row
        auto *probe = new QTimer(window.get());
        probe->setInterval(1);
        QObject::connect(probe, &QTimer::timeout, [this, finished, press, probe] {
            const int last = window->mandel1->height() - 1;
            // Drawn whole: its last row neither red (before) nor white (not
            // yet computed).
            const auto drawn = [&](int n) {
                const QColor c = window->thumbnail(n)->retained().pixelColor(0, last);
                return c != QColor(Qt::red) && c != QColor(Qt::white);
            };
            if (window->runInProgress() && drawn(finished) && !drawn(finished + 1)) {
                probe->stop();
                press();
            }
        });
        for (int n = 1; n <= 6; ++n) {
            QImage red(400, 300, QImage::Format_RGB32);
            red.fill(Qt::red);
            window->thumbnail(n)->drawImage(red);
        }
        probe->start();
    }

    QStringList said;
};

TEST_F(RunNewsTest, ACompleteRunSaysItsStartThenItsFactorsAndTarget)
{
    window->Edit1->setText(QStringLiteral("-0,75"));
    window->Edit2->setText(QStringLiteral("0,1"));
    setFactors({"1", "2", "3", "4", "5", "6"});
    window->ZeichnenClick(window->Zeichnen);
    EXPECT_EQ(heard(), "Vergrößerungen werden gezeichnet | Sechs Bilder fertig: Faktoren 1, 2, 3, "
                       "4, 5, 6 um x1 = -0,75, y1 = 0,1");
}

TEST_F(RunNewsTest, AnAbortSaysHowManyImagesWereFinished)
{
    for (int finished : {1, 3}) {
        said.clear();
        setFactors({"1000000", "1000000", "1000000", "1000000", "1000000", "1000000"});
        pressAfterImage(finished, [this] { window->ZeichnenClick(window->Zeichnen); });
        window->ZeichnenClick(window->Zeichnen);
        EXPECT_EQ(heard(), "Vergrößerungen werden gezeichnet | Abgebrochen nach Bild "
                                   + std::to_string(finished));
    }
}

TEST_F(RunNewsTest, ARunReplacedByANewOneEndsUnheard)
{
    setFactors({"1000000", "1000000", "1000000", "1000000", "1000000", "1000000"});
    pressAfterImage(1, [this] {
        setFactors({"0", "0", "0", "0", "0", "0"});
        window->ZeichnenClick(window->Zeichnen); // the abort
        window->ZeichnenClick(window->Zeichnen); // a new run inside the pump
    });
    window->ZeichnenClick(window->Zeichnen);
    EXPECT_EQ(heard(), "Vergrößerungen werden gezeichnet | Vergrößerungen werden gezeichnet | Sechs "
                       "Bilder fertig: Faktoren 0, 0, 0, 0, 0, 0 um x1 = -1,41, y1 = 0");
}

TEST_F(RunNewsTest, AButtonSaysItsNewCaptionOnlyWithTheFocus)
{
    window->Button1Click(window->Button1); // no focus: nothing said
    window->Button1->setFocus();
    ASSERT_TRUE(window->Button1->hasFocus());
    window->Button1Click(window->Button1);
    window->Button1Click(window->Button1);
    EXPECT_EQ(heard(), "Farbanimation | Anhalten");

    said.clear();
    useCheapFactors();
    window->Zeichnen->setFocus();
    window->ZeichnenClick(window->Zeichnen);
    EXPECT_EQ(heard(), "Abbruch | Vergrößerungen werden gezeichnet | Sechs Bilder fertig: Faktoren 0, "
                       "0, 0, 0, 0, 0 um x1 = -1,41, y1 = 0");
}

} // namespace
