// SPDX-License-Identifier: MIT
// The main window in-process against a server that goes away: closed right
// after accepting, closed in the middle of a block, or reset. Each must give
// exactly one "Server-connection lost!" box, dismissed by a key press, and
// leave the window closed with its timers stopped.
#include "app/window.h"
#include "boxwatcher.h"
#include "serverloss.h"
#include "workdir.h"

#include <QDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

const int waitMs = 10000; // generous: a loaded machine maps windows slowly
const int quietMs = 300;
class WindowServerLoss : public ::testing::TestWithParam<ServerLoss>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(server.isListening());
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(work.path()));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    static int activeTimers(Window &window)
    {
        int active = 0;
        for (QTimer *timer : window.findChildren<QTimer *>())
            active += timer->isActive();
        return active;
    }

    WorkDir work;
    QString previous;
    FaultServer server{GetParam().onAccept};
    BoxWatcher boxes;
};

TEST_P(WindowServerLoss, showsExactlyOneLostConnectionBoxAndStopsTicking)
{
    work.writeSettings(server.port());
    auto window = std::make_unique<Window>();
    ASSERT_TRUE(window->isInitialized());
    window->show();
    ASSERT_TRUE(server.waitForClient(waitMs));
    if (GetParam().afterFirstRequest) {
        ASSERT_TRUE(server.waitForReceived(1, waitMs));
        GetParam().afterFirstRequest(server);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, waitMs));
    QTest::qWait(quietMs);
    ASSERT_EQ(boxes.boxes().size(), 1);
    const SeenBox &box = boxes.boxes().first();
    EXPECT_EQ(box.title, "Client error");
    EXPECT_EQ(box.text, "Server-connection lost!");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(activeTimers(*window), 0);
}

INSTANTIATE_TEST_SUITE_P(Window, WindowServerLoss, ::testing::ValuesIn(serverLosses()),
                         [](const ::testing::TestParamInfo<ServerLoss> &info) {
                             return info.param.name;
                         });

} // namespace
