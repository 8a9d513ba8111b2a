// The one top-level window: reads the settings, connects the client to the
// server, hosts the 3D view and drives both from a 20 ms tick. It is also the
// watchdog: an unreadable settings file, a refused or a lost connection is
// shown in a "Client error" box and ends the run. Escape or Q (any
// modifiers) closes it, and so does the optional timeToLive limit.
#pragma once

#include "net/logic.h"

#include <QElapsedTimer>
#include <QWidget>

class GLWidget;
class QKeyEvent;
class QTimer;

class Window : public QWidget
{
    Q_OBJECT

public:
    // Reads "clientSettings.xml" from the working directory and connects,
    // blocking for up to 1000 ms. A failure is shown in a modal box (before
    // the constructor returns), closes the window and leaves it uninitialized.
    Window();
    ~Window() override;

    // True when settings, connection, view and timers are all set up.
    bool isInitialized() const;

private slots:
    void timerFunc();
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool readSettings(int *timeToLive, int *port, QString *host, bool *liveConsole);
    bool connectLogic(int port, const QString &host);
    void startRunTimeLimit(int timeToLive);
    void showError(const QString &text);

    bool initialized = false;
    GLWidget *glWidget = nullptr; // owned as a child widget
    QElapsedTimer tickTime;       // since the previous successful tick
    Logic logic;
    QTimer *tickTimer = nullptr; // child of the window
};
