// SPDX-License-Identifier: MIT
// radarsim: the target simulator server for radarclient.
#include "cli/commandline.h"
#include "sim/inputfile.h"
#include "sim/patterns.h"
#include "sim/recordingfile.h"
#include "sim/recordproxy.h"
#include "sim/replay.h"
#include "sim/sbsbridge.h"
#include "sim/scenariosource.h"
#include "sim/signalwatcher.h"
#include "sim/simoptions.h"
#include "sim/simserver.h"
#include "sim/tuiobridge.h"

#include <QCoreApplication>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int exitCannotServe = 1;
// Unusable options, and unusable files they name.
constexpr int exitInvalidInput = exitInvalidOptions;

// Start-up reads its file before the event loop runs: a signal meanwhile
// ends the reading, and radarsim stops without serving.
bool stopRequested()
{
    return SignalWatcher::signalled();
}

// Null with `error` set, or with it empty after a stop request.
std::unique_ptr<TargetSource> loadScenario(const QString &path, QString *error)
{
    const InputFile file = readInputFile(path, Scenario::maxFileBytes, stopRequested);
    if (file.stopped || !file.error.isEmpty()) {
        *error = file.error;
        return nullptr;
    }
    ScenarioParse parsed = parseScenario(file.bytes, path);
    if (!parsed.scenario) {
        *error = parsed.error;
        return nullptr;
    }
    return std::make_unique<ScenarioSource>(std::move(*parsed.scenario));
}

std::shared_ptr<const RecordingFile> loadRecording(const QString &path, bool loop, QString *error)
{
    auto recording = std::make_shared<RecordingFile>();
    if (!recording->load(path, stopRequested)) {
        *error = recording->error();
        return nullptr;
    }
    if (!recording->cutOff().isEmpty())
        complain(QString("%1; replaying the %2 whole block(s) before it")
                     .arg(recording->cutOff())
                     .arg(recording->blocks().size()));
    const int minimum = loop ? 2 : 1;
    if (recording->blocks().size() < minimum) {
        *error = QString("%1: holds %2 block(s); %3 needs at least %4")
                     .arg(path)
                     .arg(recording->blocks().size())
                     .arg(loop ? "a looping replay" : "a replay")
                     .arg(minimum);
        return nullptr;
    }
    return recording;
}

// A file that could not be used, or the end of a start-up stopped by a signal.
int notLoaded(const QString &error)
{
    if (error.isEmpty()) {
        logLine("stopped before serving");
        return 0;
    }
    return fail(exitInvalidInput, error);
}

// Listens, tells scripts the port (and then `more`, a line each) and runs
// until a signal. `prepare` runs once the server is known to be usable,
// before the first client; a non-empty error from it ends the run.
int serve(ServerBase &server, const SimOptions &options, QCoreApplication &app,
          const std::function<QString()> &prepare = {}, const QStringList &more = {})
{
    if (!server.listen(options.address, options.port))
        return fail(
            exitCannotServe,
            QString("cannot listen on port %1: %2").arg(options.port).arg(server.errorString()));
    if (const QString refusal = server.refusal(); !refusal.isEmpty())
        return fail(exitInvalidInput, refusal);
    if (const QString error = prepare ? prepare() : QString(); !error.isEmpty())
        return fail(exitCannotServe, error);
    // Scripts and tests read the port from this line.
    std::printf("radarsim: listening on port %u\n", unsigned(server.port()));
    for (const QString &line : more)
        std::printf("radarsim: %s\n", qPrintable(line));
    std::fflush(stdout);
    const int status = app.exec();
    logLine(QString("stopped with %1 client(s) connected").arg(server.connectionCount()));
    return status;
}

// Forwards every client to the server at host:port and records the first
// one's blocks into the options' file.
int recordFrom(const QString &host, quint16 port, const SimOptions &options, QCoreApplication &app,
               const QStringList &more = {})
{
    RecordingWriter writer;
    RecordProxy proxy(host, port, writer);
    // Opening truncates: a run refused before it starts must leave an
    // earlier recording of that name as it was.
    bool opened = false;
    const int status = serve(
        proxy, options, app,
        [&] {
            opened = writer.open(options.file);
            return opened ? QString() : writer.error();
        },
        more);
    if (opened)
        logLine(
            QString("recorded %1 block(s) into %2").arg(writer.blocksWritten()).arg(writer.path()));
    return status;
}

// Serves a bridge's targets. To record them, the bridge serves on a
// loopback port of its own behind the recorder, so that the file holds the
// blocks as clients got them, faults included.
int serveBridge(TargetSource &bridge, const SimOptions &options, QCoreApplication &app,
                const QStringList &more = {})
{
    SimServer server(bridge, options.faults);
    if (options.file.isEmpty())
        return serve(server, options, app, {}, more);
    if (!server.listen(QHostAddress::LocalHost, 0))
        return fail(exitCannotServe,
                    "cannot open a loopback port for the bridge: " + server.errorString());
    return recordFrom(QHostAddress(QHostAddress::LocalHost).toString(), server.port(), options, app,
                      more);
}

// Serves from the chosen source until a signal.
int runSim(QCoreApplication &app, const SimOptions &options)
{
    SignalWatcher signalWatcher;
    if (!signalWatcher.isValid())
        logLine("cannot watch SIGINT and SIGTERM; stop me with SIGKILL");
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app,
                     &QCoreApplication::quit);

    QString error;
    switch (options.mode) {
    case SimOptions::Mode::Pattern: {
        const auto source = makePatternSource(options.pattern, options.targets, options.seed);
        SimServer server(*source, options.faults);
        return serve(server, options, app);
    }
    case SimOptions::Mode::Scenario: {
        const auto source = loadScenario(options.file, &error);
        if (!source)
            return notLoaded(error);
        SimServer server(*source, options.faults);
        return serve(server, options, app);
    }
    case SimOptions::Mode::Replay: {
        const auto recording = loadRecording(options.file, options.loop, &error);
        if (!recording)
            return notLoaded(error);
        SimServer server(
            [recording, loop = options.loop] {
                return std::make_unique<ReplayReplies>(recording, loop);
            },
            options.faults);
        return serve(server, options, app);
    }
    case SimOptions::Mode::Record:
        return recordFrom(options.upstreamHost, options.upstreamPort, options, app);
    case SimOptions::Mode::Tuio: {
        const BridgeOptions &b = options.bridge;
        TuioBridge bridge(b.tuio, logLine);
        if (!bridge.listen(b.tuioAddress, b.tuioPort))
            return fail(exitCannotServe, QString("cannot listen for TUIO on UDP port %1: %2")
                                             .arg(b.tuioPort)
                                             .arg(bridge.errorString()));
        // Scripts and tests read the UDP port from this line.
        return serveBridge(bridge, options, app,
                           {QString("TUIO on UDP port %1").arg(bridge.port())});
    }
    case SimOptions::Mode::Sbs: {
        const BridgeOptions &b = options.bridge;
        SbsBridge bridge(b.sbsHost, b.sbsPort, b.sbs, logLine);
        bridge.start();
        return serveBridge(bridge, options, app);
    }
    }
    return exitInvalidInput;
}

} // namespace

int main(int argc, char *argv[])
{
    return runTool(argc, argv, "radarsim", parseSimOptions, runSim);
}
