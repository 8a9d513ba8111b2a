#include "app/window.h"

#include "app/settingsfile.h"
#include "render/glwidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
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
} // namespace

Window::Window()
{
    tickTimer = new QTimer(this);

    int timeToLive = defaultTimeToLive;
    int port = defaultPort;
    QString host;
    bool liveConsole = defaultLiveConsole;
    if (!readSettings(&timeToLive, &port, &host, &liveConsole)) {
        showError(tr("Unable to load the file clientSttings.xml!"));
        return;
    }
    if (!connectLogic(port, host)) {
        showError(tr("Could not connect to the server!"));
        return;
    }
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
    connect(runTimer, SIGNAL(timeout()), this, SLOT(close()));
    runTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the limit is meant in seconds.
    runTimer->setTimerType(Qt::PreciseTimer);
    runTimer->start(int(intervalMs));
}

void Window::showError(const QString &text)
{
    QMessageBox::critical(this, tr("Client error"), text);
    close();
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
    showError(tr("Server-connection lost!"));
}

void Window::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Q)
        close();
}
