// SPDX-License-Identifier: MIT
// parseScenario on arbitrary bytes: a refusal is one line naming the file;
// a scenario it accepts obeys every rule of the format, checked here on
// their own terms: legs that start at a finite time >= 0 and last a moment,
// positions in the unit square, a loop period every leg ends within, and
// never more targets alive at once than a block holds, counted directly.
// Its frames show exactly the legs alive, within the unit square.
#include "fuzzcheck.h"
#include "net/wireformat.h"
#include "sim/scenario.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Beyond this many legs the direct count of alive targets (quadratic) is
// left out; the rules of each leg are checked whatever the number.
constexpr int maxLegsCounted = 400;

bool inUnitSquare(double v)
{
    return v >= 0.0 && v <= 1.0;
}

// Legs alive at `t` on the scenario's own clock, counted one by one.
int aliveAt(const Scenario &s, double t)
{
    int alive = 0;
    for (const ScenarioLeg &leg : s.legs)
        alive += leg.start <= t && t < leg.end;
    return alive;
}

void checkScenario(const Scenario &s)
{
    check(!s.legs.isEmpty() && s.legs.size() <= Scenario::maxLegs);
    check(s.loopSeconds == 0.0 || (std::isfinite(s.loopSeconds) && s.loopSeconds > 0.0));
    for (const ScenarioLeg &leg : s.legs) {
        check(std::isfinite(leg.start) && leg.start >= 0.0);
        check(std::isfinite(leg.end) && leg.end > leg.start);
        for (double v : {leg.x0, leg.y0, leg.x1, leg.y1})
            check(inUnitSquare(v));
        check(leg.line >= 1);
        check(s.loopSeconds == 0.0 || leg.end <= s.loopSeconds);
    }
    if (s.legs.size() > maxLegsCounted)
        return;
    for (const ScenarioLeg &leg : s.legs) {
        // The most alive at once is reached at some leg's start.
        const int alive = aliveAt(s, leg.start);
        check(alive <= wire::maxRecordsPerBlock);
        // Within the first period the frame is the legs alive then.
        if (s.loopSeconds == 0.0 || leg.start < s.loopSeconds) {
            const QVector<SimTarget> frame = s.targetsAt(leg.start);
            check(frame.size() == alive);
            for (const SimTarget &target : frame)
                check(inUnitSquare(target.x) && inUnitSquare(target.y));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const ScenarioParse parsed = parseScenario(text, "fuzz.txt");
    if (!parsed.scenario) {
        check(parsed.error.startsWith("fuzz.txt") && !parsed.error.contains('\n'));
        return 0;
    }
    check(parsed.error.isEmpty());
    checkScenario(*parsed.scenario);
    return 0;
}
