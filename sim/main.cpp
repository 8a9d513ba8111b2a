// radarsim: the target simulator server for radarclient.
#include "sim/patterns.h"
#include "sim/signalwatcher.h"
#include "sim/simoptions.h"
#include "sim/simserver.h"

#include <QCoreApplication>

#include <cstdio>

namespace {
constexpr int exitListenFailed = 1;
constexpr int exitInvalidOptions = 2;
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("radarsim");

    const SimOptionsResult parsed = parseSimOptions(QCoreApplication::arguments());
    if (parsed.status == SimOptionsResult::ShowHelp) {
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    }
    if (parsed.status == SimOptionsResult::Invalid) {
        std::fprintf(stderr, "radarsim: %s\n", qPrintable(parsed.text));
        return exitInvalidOptions;
    }
    const SimOptions &options = parsed.options;

    SignalWatcher signalWatcher;
    if (!signalWatcher.isValid())
        std::fputs("radarsim: cannot watch SIGINT and SIGTERM; stop me with SIGKILL\n", stderr);
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app,
                     &QCoreApplication::quit);

    const auto source = makePatternSource(options.pattern, options.targets, options.seed);
    SimServer server(*source);
    if (!server.listen(options.address, options.port)) {
        std::fprintf(stderr, "radarsim: cannot listen on port %u: %s\n", unsigned(options.port),
                     qPrintable(server.errorString()));
        return exitListenFailed;
    }
    // Scripts and tests read the port from this line.
    std::printf("radarsim: listening on port %u\n", unsigned(server.port()));
    std::fflush(stdout);

    const int status = app.exec();
    std::fprintf(stderr, "radarsim: stopped with %d client(s) connected\n",
                 server.connectionCount());
    return status;
}
