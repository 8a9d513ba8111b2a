// SPDX-License-Identifier: MIT
#include "sim/scenario.h"

#include "sim/blockencoder.h"

#include <QList>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace {

constexpr int legFields = 8; // start x0 y0 x1 y1 speed|for amount value
constexpr int maxQuotedChars = 40;
constexpr quint16 maxValue = 0xffff;

const char *const legSyntax = "start x0 y0 x1 y1 speed|for amount value";

class LineError
{
public:
    explicit LineError(QString message) : message(std::move(message)) {}
    QString message;
};

QString quoted(const QByteArray &token)
{
    QString text = QString::fromUtf8(token);
    if (text.size() > maxQuotedChars)
        text = text.left(maxQuotedChars) + "...";
    return '"' + text + '"';
}

double number(const QByteArray &token, const char *what)
{
    bool ok = false;
    const double value = token.toDouble(&ok); // always a decimal point
    if (!ok || !std::isfinite(value))
        throw LineError(QString("%1 %2 is not a number").arg(what, quoted(token)));
    return value;
}

double unitCoordinate(const QByteArray &token, const char *what)
{
    const double value = number(token, what);
    if (value < 0.0 || value > 1.0)
        throw LineError(
            QString("%1 %2 is outside the unit square [0, 1]").arg(what, quoted(token)));
    return value;
}

qint64 wholeNumber(const QByteArray &token, const char *what, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = token.toLongLong(&ok, 10);
    if (!ok || value < min || value > max)
        throw LineError(QString("%1 %2 must be a whole number from %3 to %4")
                            .arg(what, quoted(token))
                            .arg(min)
                            .arg(max));
    return value;
}

struct Repeat
{
    int copies = 1;
    double every = 0.0;
    double dx = 0.0, dy = 0.0;
};

Repeat readRepeat(const QList<QByteArray> &tokens, int at)
{
    Repeat r;
    if (at == tokens.size())
        return r;
    if (tokens[at] != "repeat")
        throw LineError(QString("unexpected %1 after the value; a leg may end with "
                                "\"repeat N [every SECONDS] [shift DX DY]\"")
                            .arg(quoted(tokens[at])));
    if (++at == tokens.size())
        throw LineError("\"repeat\" needs a number of copies");
    r.copies = int(wholeNumber(tokens[at++], "repeat count", 1, Scenario::maxLegs));
    bool hasEvery = false, hasShift = false;
    while (at < tokens.size()) {
        const QByteArray &word = tokens[at++];
        if (word == "every" && !hasEvery) {
            if (at == tokens.size())
                throw LineError("\"every\" needs a number of seconds");
            r.every = number(tokens[at++], "every");
            if (r.every < 0.0)
                throw LineError("\"every\" must not be negative");
            hasEvery = true;
        } else if (word == "shift" && !hasShift) {
            if (at + 2 > tokens.size())
                throw LineError("\"shift\" needs two numbers, DX and DY");
            r.dx = number(tokens[at++], "shift dx");
            r.dy = number(tokens[at++], "shift dy");
            hasShift = true;
        } else {
            throw LineError(QString("unexpected %1 in the repeat; it reads "
                                    "\"repeat N [every SECONDS] [shift DX DY]\"")
                                .arg(quoted(word)));
        }
    }
    return r;
}

double legLength(const ScenarioLeg &leg)
{
    return std::hypot(leg.x1 - leg.x0, leg.y1 - leg.y0);
}

bool insideUnitSquare(double v)
{
    return v >= 0.0 && v <= 1.0;
}

// Times so large that adding the duration changes nothing (or overflows)
// would make a target that never shows.
bool lastsAMoment(const ScenarioLeg &leg)
{
    return leg.end > leg.start && std::isfinite(leg.end);
}

// Appends the leg of one line, with its copies.
void readLeg(const QList<QByteArray> &tokens, int line, QVector<ScenarioLeg> &legs)
{
    if (tokens.size() < legFields)
        throw LineError(QString("a leg has %1 fields (%2), this line has %3")
                            .arg(legFields)
                            .arg(legSyntax)
                            .arg(tokens.size()));
    ScenarioLeg leg;
    leg.line = line;
    leg.start = number(tokens[0], "start time");
    if (leg.start < 0.0)
        throw LineError("start time " + quoted(tokens[0]) + " is negative");
    leg.x0 = unitCoordinate(tokens[1], "x0");
    leg.y0 = unitCoordinate(tokens[2], "y0");
    leg.x1 = unitCoordinate(tokens[3], "x1");
    leg.y1 = unitCoordinate(tokens[4], "y1");

    double seconds = 0.0;
    if (tokens[5] == "for") {
        seconds = number(tokens[6], "duration");
        if (seconds <= 0.0)
            throw LineError("duration " + quoted(tokens[6]) + " must be above 0 seconds");
    } else if (tokens[5] == "speed") {
        const double speed = number(tokens[6], "speed");
        if (speed <= 0.0)
            throw LineError("speed " + quoted(tokens[6]) + " must be above 0");
        if (legLength(leg) == 0.0)
            throw LineError("a leg that stays in one place has no speed; give its time with "
                            "\"for SECONDS\"");
        seconds = legLength(leg) / speed;
    } else {
        throw LineError("expected \"speed\" or \"for\" as the sixth field, found " +
                        quoted(tokens[5]));
    }
    leg.end = leg.start + seconds;
    if (!lastsAMoment(leg))
        throw LineError("the leg is too short to last a moment after its start");
    const qint64 value = wholeNumber(tokens[7], "value", 0, maxValue);

    const Repeat repeat = readRepeat(tokens, legFields);
    if (legs.size() + repeat.copies > Scenario::maxLegs)
        throw LineError(
            QString("more than %1 legs in all, copies included").arg(Scenario::maxLegs));
    if (value + repeat.copies - 1 > maxValue)
        throw LineError(QString("the last of %1 copies would carry value %2, above %3")
                            .arg(repeat.copies)
                            .arg(value + repeat.copies - 1)
                            .arg(maxValue));
    for (int i = 0; i < repeat.copies; ++i) {
        ScenarioLeg copy = leg;
        copy.start = leg.start + i * repeat.every;
        copy.end = copy.start + seconds;
        copy.x0 = leg.x0 + i * repeat.dx;
        copy.x1 = leg.x1 + i * repeat.dx;
        copy.y0 = leg.y0 + i * repeat.dy;
        copy.y1 = leg.y1 + i * repeat.dy;
        copy.value = quint16(value + i);
        if (!std::isfinite(copy.start))
            throw LineError(
                QString("copy %1 of the repeat would start beyond the largest time there is")
                    .arg(i + 1));
        if (!lastsAMoment(copy))
            throw LineError(QString("copy %1 of the repeat, at %2 s, is too short to last a "
                                    "moment after its start")
                                .arg(i + 1)
                                .arg(copy.start));
        for (double v : {copy.x0, copy.y0, copy.x1, copy.y1})
            if (!insideUnitSquare(v))
                throw LineError(
                    QString("copy %1 of the repeat leaves the unit square (%2)").arg(i + 1).arg(v));
        legs.push_back(copy);
    }
}

double readLoop(const QList<QByteArray> &tokens)
{
    if (tokens.size() > 2)
        throw LineError("\"loop\" takes at most one field, the period in seconds");
    if (tokens.size() == 1)
        return -1.0; // the end of the last leg
    const double period = number(tokens[1], "loop period");
    if (period <= 0.0)
        throw LineError("loop period " + quoted(tokens[1]) + " must be above 0 seconds");
    return period;
}

// The first leg, in time and then file order, that makes more targets alive
// at once than a block holds; nullptr if none does.
const ScenarioLeg *firstCrowdedLeg(const QVector<ScenarioLeg> &legs)
{
    struct Event
    {
        double time;
        int change; // -1 ends before +1 starts at the same time: legs are half-open
        int leg;
    };
    std::vector<Event> events;
    events.reserve(size_t(legs.size()) * 2);
    for (int i = 0; i < legs.size(); ++i) {
        events.push_back({legs[i].start, +1, i});
        events.push_back({legs[i].end, -1, i});
    }
    std::sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
        if (a.time != b.time)
            return a.time < b.time;
        if (a.change != b.change)
            return a.change < b.change;
        return a.leg < b.leg;
    });
    int alive = 0;
    for (const Event &e : events) {
        alive += e.change;
        if (alive > BlockEncoder::maxRecordsPerBlock)
            return &legs[e.leg];
    }
    return nullptr;
}

// A leg starts with its start time; anything else that is no directive is a
// mistyped keyword rather than a bad number.
bool looksNumeric(const QByteArray &token)
{
    const char c = token.isEmpty() ? '\0' : token[0];
    return std::isdigit(uchar(c)) || c == '.' || c == '-' || c == '+';
}

QString located(const QString &fileName, int line, const QString &message)
{
    return QString("%1:%2: %3").arg(fileName).arg(line).arg(message);
}

} // namespace

ScenarioParse parseScenario(const QByteArray &text, const QString &fileName)
{
    ScenarioParse result;
    if (text.size() > Scenario::maxFileBytes) {
        result.error = QString("%1: larger than %2 bytes; is it a scenario?")
                           .arg(fileName)
                           .arg(Scenario::maxFileBytes);
        return result;
    }
    Scenario scenario;
    int loopLine = 0;
    double loopPeriod = 0.0;
    // Editors on some systems start a UTF-8 file with a byte-order mark.
    const QByteArray byteOrderMark = "\xEF\xBB\xBF";
    const QList<QByteArray> lines =
        (text.startsWith(byteOrderMark) ? text.mid(byteOrderMark.size()) : text).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int line = i + 1;
        QByteArray content = lines[i];
        if (const int hash = content.indexOf('#'); hash >= 0)
            content.truncate(hash);
        const QList<QByteArray> tokens = content.simplified().split(' ');
        if (tokens.size() == 1 && tokens[0].isEmpty())
            continue;
        try {
            if (tokens[0] == "loop") {
                if (loopLine != 0)
                    throw LineError(
                        QString("a second \"loop\" line; the first is line %1").arg(loopLine));
                loopPeriod = readLoop(tokens);
                loopLine = line;
            } else if (looksNumeric(tokens[0])) {
                readLeg(tokens, line, scenario.legs);
            } else {
                throw LineError(QString("unknown line starting with %1: a line is a leg (%2) or "
                                        "\"loop [seconds]\"")
                                    .arg(quoted(tokens[0]))
                                    .arg(legSyntax));
            }
        } catch (const LineError &e) {
            result.error = located(fileName, line, e.message);
            return result;
        }
    }

    if (scenario.legs.isEmpty()) {
        result.error = fileName + ": no legs; a scenario needs at least one (" + legSyntax + ")";
        return result;
    }
    if (const ScenarioLeg *leg = firstCrowdedLeg(scenario.legs)) {
        result.error = located(fileName, leg->line,
                               QString("more than %1 targets alive at %2 s; a block holds no more")
                                   .arg(BlockEncoder::maxRecordsPerBlock)
                                   .arg(leg->start));
        return result;
    }
    if (loopLine != 0) {
        double lastEnd = 0.0;
        for (const ScenarioLeg &leg : scenario.legs)
            lastEnd = std::max(lastEnd, leg.end);
        if (loopPeriod < 0.0)
            loopPeriod = lastEnd;
        for (const ScenarioLeg &leg : scenario.legs)
            if (leg.end > loopPeriod) {
                result.error =
                    located(fileName, leg.line,
                            QString("the leg ends at %1 s, after the loop period of %2 s "
                                    "(line %3)")
                                .arg(leg.end)
                                .arg(loopPeriod)
                                .arg(loopLine));
                return result;
            }
        scenario.loopSeconds = loopPeriod;
    }
    result.scenario = std::move(scenario);
    return result;
}

QVector<SimTarget> Scenario::targetsAt(double seconds) const
{
    const double t = loopSeconds > 0.0 ? std::fmod(seconds, loopSeconds) : seconds;
    QVector<SimTarget> out;
    for (const ScenarioLeg &leg : legs) {
        if (t < leg.start || t >= leg.end)
            continue;
        const double f = (t - leg.start) / (leg.end - leg.start);
        out.push_back({float(leg.x0 + f * (leg.x1 - leg.x0)), float(leg.y0 + f * (leg.y1 - leg.y0)),
                       leg.value});
        if (out.size() == BlockEncoder::maxRecordsPerBlock)
            break;
    }
    return out;
}
