// SPDX-License-Identifier: MIT
#include "app/window.h"

#include "app/settingsfile.h"
#include "cli/logline.h"
#include "render/glwidget.h"

#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <limits>

namespace {
const char settingsFileName[] = "clientSettings.xml";
const int tickIntervalMs = 20;
const int msPerSecond = 1000;
const int defaultTimeToLive = 0; // seconds; 0 or less: no limit
const int defaultPort = 3333;
const int maxPort = 65535;
const char defaultHost[] = "localhost";
const bool defaultLiveConsole = true;
const int viewStretch = 0;
const int layoutMargin = 0;

// The server as the log names it; any port, even one the client refuses.
QString serverName(const QString &host, int port)
{
    return QString("%1 port %2").arg(host).arg(port);
}
} // namespace

Window::Window(const ClientOptions &options) : options(options)
{
    tickTimer = new QTimer(this);

    const QString start = QString("start: radarclient %1, settings %2")
                              .arg(clientVersion)
                              .arg(QDir::current().absoluteFilePath(settingsFileName));
    const QString mode =
        options.kiosk()
            ? QString(", kiosk mode: error boxes close after %1 s").arg(options.kioskSeconds)
            : QString();
    int timeToLive = defaultTimeToLive;
    int port = defaultPort;
    QString host;
    bool liveConsole = defaultLiveConsole;
    if (!readSettings(&timeToLive, &port, &host, &liveConsole)) {
        logLine(start + " (cannot be read)" + mode);
        fail(ExitCause::settingsUnreadable, tr("Unable to load the file clientSttings.xml!"));
        return;
    }
    const QString server = serverName(host, port);
    logLine(start + ", server " + server + mode);
    if (!connectLogic(port, host)) {
        logLine("cannot connect to " + server);
        fail(ExitCause::serverUnreachable, tr("Could not connect to the server!"));
        return;
    }
    logLine("connected to " + server);
    startRunTimeLimit(timeToLive);

    // Without the live figures the console shows its art alone.
    glWidget = new GLWidget(&logic.state(), liveConsole ? &logic.link() : nullptr);
    QHBoxLayout *layout = new QHBoxLayout;
    layout->addWidget(glWidget, viewStretch);
    layout->setContentsMargins(layoutMargin, layoutMargin, layoutMargin, layoutMargin);
    setLayout(layout);

    setCursor(Qt::BlankCursor);
    tickTime.start();
    connect(tickTimer, SIGNAL(timeout()), this, SLOT(timerFunc()));
    tickTimer->start(tickIntervalMs);
    initialized = true;
}

Window::~Window()
{
    // The timer goes first so that no tick can reach a half-destroyed window.
    delete tickTimer;
}

bool Window::isInitialized() const
{
    return initialized;
}

int Window::finish() const
{
    const int status = options.kiosk() ? kioskExitStatus(cause) : 0;
    logLine(QString("exit: %1, status %2").arg(describe(cause)).arg(status));
    return status;
}

bool Window::readSettings(int *timeToLive, int *port, QString *host, bool *liveConsole)
{
    try {
        SettingsFile settings(settingsFileName);
        *timeToLive = settings.readInt("timeToLive", defaultTimeToLive);
        *port = settings.readInt("port", defaultPort);
        *host = settings.readString("host", defaultHost);
        *liveConsole = settings.readBool("liveConsole", defaultLiveConsole);
        return true;
    } catch (SettingsError *error) {
        delete error;
    } catch (...) {
    }
    return false;
}

bool Window::connectLogic(int port, const QString &host)
{
    // A port that cannot exist is refused rather than truncated to 16 bits,
    // which would reach some other server.
    if (port < 0 || port > maxPort)
        return false;
    return logic.connectToServer(host, quint16(port));
}

void Window::startRunTimeLimit(int timeToLive)
{
    if (timeToLive <= 0)
        return;
    // Longer limits than a timer can hold are cut to the longest it can.
    const qint64 intervalMs =
        qMin(qint64(timeToLive) * msPerSecond, qint64(std::numeric_limits<int>::max()));
    QTimer *runTimer = new QTimer(this);
    connect(runTimer, &QTimer::timeout, this, [this] { closeFor(ExitCause::runTimeOver); });
    runTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the limit is meant in seconds.
    runTimer->setTimerType(Qt::PreciseTimer);
    runTimer->start(int(intervalMs));
}

void Window::closeFor(ExitCause why)
{
    cause = why;
    close();
}

void Window::fail(ExitCause why, const QString &text)
{
    // Built as QMessageBox::critical builds it (its accepting button the
    // default), so that a kiosk's timer can press that button.
    QMessageBox box(QMessageBox::Critical, tr("Client error"), text, QMessageBox::NoButton, this);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    QTimer closer;
    if (options.kiosk()) {
        closer.setSingleShot(true);
        // A coarse timer may fire up to 5 % early.
        closer.setTimerType(Qt::PreciseTimer);
        connect(&closer, &QTimer::timeout, ok, &QPushButton::click);
        closer.start(options.kioskSeconds * msPerSecond);
        logLine(QString("error box \"%1\" shown; it closes by itself after %2 s")
                    .arg(text)
                    .arg(options.kioskSeconds));
    } else {
        logLine(QString("error box \"%1\" shown; it waits for OK").arg(text));
    }
    box.exec();
    closeFor(why);
}

void Window::timerFunc()
{
    const double seconds = double(tickTime.elapsed()) / msPerSecond;
    if (logic.advance(seconds)) {
        tickTime.restart();
        glWidget->updateGL();
        return;
    }
    // Stopped first: no further tick, and no second box, while this one is up.
    tickTimer->stop();
    logLine("connection to the server lost");
    fail(ExitCause::connectionLost, tr("Server-connection lost!"));
}

void Window::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Q)
        closeFor(ExitCause::keyPressed);
}
