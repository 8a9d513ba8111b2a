// SPDX-License-Identifier: MIT
#include "processend.h"

void endProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(processEndTimeoutMs)) {
        process.kill();
        process.waitForFinished(processEndTimeoutMs);
    }
}
