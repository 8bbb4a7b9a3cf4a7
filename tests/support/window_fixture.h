#pragma once
// A shown and activated window for tests, and a watcher that closes the
// modal error report as soon as it opens.

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

#include "app/tfmandel.h"
#include "platform/factorgrid.h"

// Waits up to five seconds, handling events, until `condition` holds; a
// GoogleTest failure when it never does.
#define EXPECT_EVENTUALLY(condition) \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); })) << #condition
#define EXPECT_EVENTUALLY_EQ(actual, expected) \
    EXPECT_TRUE(QTest::qWaitFor([&] { return (actual) == (expected); })) << #actual " ==" \
                                                                                    " " #expected

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<Tfmandel>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
    }

    // Every factor cell reads as 0: factor 1.0, limit 200, quick runs that
    // show the whole plane.
    void useCheapFactors()
    {
        for (int n = 1; n <= 6; ++n)
            window->tabelle->setCell(1, n, QStringLiteral("0"));
    }

    // True when every index of the store's plane `image` is 0.
    bool storeIsEmpty(int image) const
    {
        for (int x = 0; x < window->iterations.columns(); ++x)
            for (int y = 0; y < window->iterations.rows(); ++y)
                if (window->iterations[image][x][y] != 0)
                    return false;
        return true;
    }

    std::unique_ptr<Tfmandel> window;
};

// Notes the text, title and icon of every modal message box that opens, then
// closes it.
struct ModalWatcher
{
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int seen = 0;
    QTimer timer;
    ModalWatcher()
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                ++seen;
                box->done(QMessageBox::Ok);
            }
        });
        timer.start();
    }
};
