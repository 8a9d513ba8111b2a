// SPDX-License-Identifier: MIT
#include "radarclientprocess.h"

#include "processend.h"

RadarClientProcess::~RadarClientProcess()
{
    endProcess(process);
}

bool RadarClientProcess::start(const QString &workingDirectory, QProcessEnvironment env,
                               const QStringList &arguments)
{
    env.insert("LD_PRELOAD", RADAR_NODLCLOSE_PATH);
    // The preload comes ahead of the sanitizer runtime, which asks to be
    // first; it is plain code that needs none of it.
    const QString asan = env.value("ASAN_OPTIONS");
    QString options = (asan.isEmpty() ? "" : asan + ":") + "verify_asan_link_order=0";
    if (noQuarantine)
        options += ":quarantine_size_mb=0:thread_local_quarantine_size_kb=0";
    env.insert("ASAN_OPTIONS", options);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workingDirectory);
    process.start(RADARCLIENT_PATH, arguments);
    return process.waitForStarted(startTimeoutMs);
}
