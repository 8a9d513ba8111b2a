// SPDX-License-Identifier: MIT
// The main window in-process, against a real server on loopback. Boxes are
// dismissed by a key press on them.
#include "app/window.h"
#include "boxwatcher.h"
#include "render/glwidget.h"
#include "silentserver.h"
#include "testserver.h"
#include "workdir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cctype>
#include <limits>
#include <memory>
#include <ostream>
#include <string>

namespace {

const int waitMs = 10000; // generous: a loaded machine maps windows slowly
const int quietMs = 200;
const quint16 defaultPort = 3333;

class WindowTest : public ::testing::Test
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

    // The window's direct child timers that are single-shot: the run-time limit.
    static QList<QTimer *> runTimers(Window &window)
    {
        QList<QTimer *> found;
        for (QTimer *timer : window.findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
            if (timer->isSingleShot())
                found.append(timer);
        return found;
    }

    static int activeTimers(Window &window)
    {
        int active = 0;
        for (QTimer *timer : window.findChildren<QTimer *>())
            active += timer->isActive();
        return active;
    }

    void expectOneBox(const QString &text)
    {
        ASSERT_EQ(boxes.boxes().size(), 1);
        const SeenBox &box = boxes.boxes().first();
        EXPECT_EQ(box.title, "Client error");
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, QMessageBox::Critical);
        EXPECT_EQ(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    void expectFailedUnshown(Window &window)
    {
        EXPECT_FALSE(window.isInitialized());
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(window.findChildren<GLWidget *>().isEmpty());
        EXPECT_EQ(activeTimers(window), 0);
    }

    std::unique_ptr<Window> shownWindow()
    {
        auto window = std::make_unique<Window>();
        EXPECT_TRUE(window->isInitialized());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get(), waitMs));
        return window;
    }

    WorkDir work;
    QString previous;
    TestServer server;
    BoxWatcher boxes;
};

TEST_F(WindowTest, refusedConnectionShowsTheConnectBox)
{
    const quint16 port = server.port();
    server.close();
    work.writeSettings(port);
    Window window;
    expectOneBox("Could not connect to the server!");
    expectFailedUnshown(window);
}

TEST_F(WindowTest, silentServerShowsTheConnectBoxAfterAboutASecond)
{
    SilentServer silent;
    ASSERT_TRUE(silent.isReady());
    work.writeSettings(silent.port());
    QElapsedTimer clock;
    clock.start();
    Window window;
    EXPECT_GE(clock.elapsed(), 950);
    // Far sooner than the toolkit's own half minute, however loaded the machine.
    EXPECT_LT(clock.elapsed(), waitMs);
    expectOneBox("Could not connect to the server!");
    expectFailedUnshown(window);
}

TEST_F(WindowTest, malformedSettingsFileShowsTheLoadBox)
{
    work.writeSettings("<settings><port>" + QByteArray::number(server.port()) + "</port>");
    Window window;
    expectOneBox("Unable to load the file clientSttings.xml!");
    expectFailedUnshown(window);
    EXPECT_FALSE(server.waitForClient(quietMs));
}

TEST_F(WindowTest, portOutsideSixteenBitsIsRefusedNotTruncated)
{
    // Each of these truncates to the listening port.
    for (qint64 port : {qint64(server.port()) + 65536, qint64(server.port()) - 65536}) {
        SCOPED_TRACE(port);
        work.writeSettings(port);
        auto window = std::make_unique<Window>();
        expectFailedUnshown(*window);
        EXPECT_FALSE(server.waitForClient(quietMs));
    }
    ASSERT_EQ(boxes.boxes().size(), 2);
    EXPECT_EQ(boxes.boxes()[1].text, "Could not connect to the server!");
}

TEST_F(WindowTest, readyWindowHostsTheViewEdgeToEdgeAndTicks)
{
    work.writeSettings(server.port());
    auto window = shownWindow();
    EXPECT_TRUE(boxes.boxes().isEmpty());
    ASSERT_TRUE(server.waitForClient());
    EXPECT_EQ(window->cursor().shape(), Qt::BlankCursor);

    const QList<GLWidget *> views = window->findChildren<GLWidget *>();
    ASSERT_EQ(views.size(), 1);
    auto *layout = qobject_cast<QHBoxLayout *>(window->layout());
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->count(), 1);
    EXPECT_EQ(layout->itemAt(0)->widget(), views.first());
    EXPECT_EQ(layout->stretch(0), 0);
    window->resize(320, 200);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return views.first()->geometry() == window->rect() && window->width() == 320; },
        waitMs));

    // Ticks pace requests: about one per 40 ms.
    ASSERT_TRUE(server.waitForReceived(3));
    EXPECT_EQ(server.received(), QByteArray(server.received().size(), '\x02'));
    EXPECT_TRUE(runTimers(*window).isEmpty());
}

TEST_F(WindowTest, escapeAndQCloseWhateverTheModifiers)
{
    work.writeSettings(server.port());
    const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> closing = {
        {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Q, Qt::NoModifier},
        {Qt::Key_Q, Qt::ShiftModifier},   {Qt::Key_Q, Qt::ControlModifier},
        {Qt::Key_Q, Qt::AltModifier},     {Qt::Key_Escape, Qt::ShiftModifier},
    };
    for (const auto &press : closing) {
        SCOPED_TRACE(QTest::toString(QKeySequence(press.first | press.second)));
        auto window = shownWindow();
        QTest::keyClick(window.get(), press.first, press.second);
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_TRUE(boxes.boxes().isEmpty());
}

TEST_F(WindowTest, otherKeysChangeNothing)
{
    work.writeSettings(server.port());
    auto window = shownWindow();
    for (Qt::Key key :
         {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,
          Qt::Key_Down, Qt::Key_A, Qt::Key_W, Qt::Key_F1, Qt::Key_Tab, Qt::Key_Backspace}) {
        QTest::keyClick(window.get(), key);
        QTest::keyClick(window.get(), key, Qt::ControlModifier);
    }
    QTest::qWait(50);
    EXPECT_TRUE(window->isVisible());
    EXPECT_GT(activeTimers(*window), 0);
}

TEST_F(WindowTest, lostConnectionShowsExactlyOneBoxAndStopsTicking)
{
    work.writeSettings(server.port());
    auto window = shownWindow();
    ASSERT_TRUE(server.waitForClient());
    ASSERT_TRUE(server.waitForReceived(1));
    server.dropClient();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, waitMs));
    QTest::qWait(quietMs);
    expectOneBox("Server-connection lost!");
    EXPECT_EQ(activeTimers(*window), 0);
}

struct RunLimit
{
    const char *text;
    int expectedMs; // 0: no timer
};

void PrintTo(const RunLimit &limit, std::ostream *out)
{
    *out << '"' << limit.text << '"';
}

class TimeToLive : public WindowTest, public ::testing::WithParamInterface<RunLimit>
{
};

TEST_P(TimeToLive, startsOneSingleShotTimerOnlyForAPositiveLimit)
{
    work.writeSettings(server.port(),
                       QByteArray("<timeToLive>") + GetParam().text + "</timeToLive>");
    Window window;
    ASSERT_TRUE(window.isInitialized());
    const QList<QTimer *> timers = runTimers(window);
    if (GetParam().expectedMs == 0) {
        EXPECT_TRUE(timers.isEmpty());
        return;
    }
    ASSERT_EQ(timers.size(), 1);
    EXPECT_TRUE(timers.first()->isActive());
    EXPECT_EQ(timers.first()->interval(), GetParam().expectedMs);
}

const int longestMs = std::numeric_limits<int>::max();

INSTANTIATE_TEST_SUITE_P(Window, TimeToLive,
                         ::testing::Values(RunLimit{"0", 0}, RunLimit{"-5", 0}, RunLimit{"abc", 0},
                                           RunLimit{"2.5", 0}, RunLimit{"2", 2000},
                                           RunLimit{"2147483", 2147483000},
                                           // Beyond an int of milliseconds: the longest.
                                           RunLimit{"2147484", longestMs},
                                           RunLimit{"4294968", longestMs},
                                           RunLimit{"2147483647", longestMs}),
                         [](const ::testing::TestParamInfo<RunLimit> &info) {
                             std::string name = std::string("seconds_") + info.param.text;
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST_F(WindowTest, timeToLiveClosesTheWindowByItself)
{
    work.writeSettings(server.port(), "<timeToLive>1</timeToLive>");
    QElapsedTimer clock;
    clock.start();
    Window window;
    ASSERT_TRUE(window.isInitialized());
    // Not waiting for the window to be mapped: on a slow machine that may
    // take longer than the limit itself.
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, waitMs));
    EXPECT_GE(clock.elapsed(), 950);
    EXPECT_TRUE(boxes.boxes().isEmpty());
}

// Port 3333 is the default; these tests need it free on 127.0.0.1.
class DefaultPortTest : public WindowTest
{
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        if (!defaultServer.isListening())
            GTEST_SKIP() << "port 3333 is in use on 127.0.0.1";
    }

    TestServer defaultServer{defaultPort};
};

TEST_F(DefaultPortTest, missingSettingsFileShowsTheLoadBoxAndNeverConnects)
{
    Window window;
    expectOneBox("Unable to load the file clientSttings.xml!");
    expectFailedUnshown(window);
    EXPECT_FALSE(defaultServer.waitForClient(quietMs));
}

TEST_F(DefaultPortTest, settingsWithoutValuesConnectToLocalhost3333WithoutLimit)
{
    work.writeSettings("<config><comment>nothing here</comment></config>");
    Window window;
    EXPECT_TRUE(window.isInitialized());
    EXPECT_TRUE(boxes.boxes().isEmpty());
    EXPECT_TRUE(defaultServer.waitForClient());
    EXPECT_TRUE(runTimers(window).isEmpty());
}

} // namespace
