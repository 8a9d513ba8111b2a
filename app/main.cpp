// SPDX-License-Identifier: MIT
#include "app/clientoptions.h"
#include "app/window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationVersion(clientVersion);
    if (asksForHelpOrVersion(QStringList(argv, argv + argc))) {
        QCoreApplication app(argc, argv);
        return parseClientCommandLine(QCoreApplication::arguments()).answer();
    }
    QApplication app(argc, argv);
    const CommandLine<ClientOptions> commandLine =
        parseClientCommandLine(QCoreApplication::arguments());
    if (commandLine.status != CommandLineRequest::Run)
        return commandLine.answer();
    Window window(commandLine.options);
    if (window.isInitialized()) {
        window.showFullScreen();
        app.exec();
    }
    return window.finish();
}
