// SPDX-License-Identifier: MIT
// The one top-level window: reads the settings, connects the client to the
// server, hosts the 3D view and drives both from a 20 ms tick. It is also the
// watchdog: an unreadable settings file, a refused or a lost connection is
// shown in a "Client error" box and ends the run; in kiosk mode the box
// closes by itself. Escape or Q (any modifiers) closes it, and so does the
// optional timeToLive limit. Each event of the run is one log line (see
// cli/logline.h): start, connection, loss, box, end.
#pragma once

#include "app/clientoptions.h"
#include "app/exitcause.h"
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
    explicit Window(const ClientOptions &options = ClientOptions());
    ~Window() override;

    // True when settings, connection, view and timers are all set up.
    bool isInitialized() const;

    // What ended the run so far: windowClosed until something else did.
    ExitCause exitCause() const { return cause; }

    // Logs the end of the run with its cause, and returns the process's exit
    // status: 0, or in kiosk mode the cause's (kioskExitStatus).
    int finish() const;

private slots:
    void timerFunc();
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool readSettings(int *timeToLive, int *port, QString *host, bool *liveConsole);
    bool connectLogic(int port, const QString &host);
    void startRunTimeLimit(int timeToLive);
    void closeFor(ExitCause why);
    void fail(ExitCause why, const QString &text);

    bool initialized = false;
    GLWidget *glWidget = nullptr; // owned as a child widget
    QElapsedTimer tickTime;       // since the previous successful tick
    Logic logic;
    QTimer *tickTimer = nullptr; // child of the window
    const ClientOptions options;
    ExitCause cause = ExitCause::windowClosed;
};
