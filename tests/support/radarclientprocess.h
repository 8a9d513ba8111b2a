// SPDX-License-Identifier: MIT
// The real radarclient binary as a process, run as a user runs it: in a
// working directory of its own (see WorkDir), on a display, with the
// environment the sanitizer builds need. The leak report at exit covers the
// whole client, so the preloaded radarnodlclose keeps every library mapped
// for it; elsewhere the preload changes nothing.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class RadarClientProcess
{
public:
    // Generous: a loaded machine starts Qt and GL slowly.
    static constexpr int startTimeoutMs = 20000;

    RadarClientProcess() = default;
    ~RadarClientProcess(); // ends the client if it still runs
    RadarClientProcess(const RadarClientProcess &) = delete;
    RadarClientProcess &operator=(const RadarClientProcess &) = delete;

    // For a run that measures memory: under AddressSanitizer freed blocks
    // are held back for a while (to catch their use after free), which
    // would show as growth; this client does not hold them back.
    void holdNoFreedBlocks() { noQuarantine = true; }

    // Starts the client in `workingDirectory` with `env` (a display's
    // environment, with any variables of the caller), the sanitizer
    // settings and `arguments`; false if it did not start. Set the channels
    // of `process` before.
    bool start(const QString &workingDirectory, QProcessEnvironment env,
               const QStringList &arguments = {});

    QProcess process;

private:
    bool noQuarantine = false;
};
