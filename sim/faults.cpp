// SPDX-License-Identifier: MIT
#include "sim/faults.h"

#include "net/wireformat.h"

#include <climits>

namespace {

const char *const modesHelp =
    "  split[:MS]         every block one byte per write, MS ms apart (default 1)\n"
    "  delay:MS           every block in two halves, the second MS ms later\n"
    "  drop:N             close the connection after N blocks\n"
    "  badsize[:DELTA]    every size field off by DELTA (default 2)\n"
    "  overcount[:COUNT]  every block claims and carries COUNT records, 6554 to\n"
    "                     65535 (default 65535); the size field wraps\n";

struct Spec
{
    QString mode;
    QString parameter;
    bool hasParameter = false;
};

Spec split(const QString &text)
{
    const int colon = text.indexOf(':');
    if (colon < 0)
        return {text, {}, false};
    return {text.left(colon), text.mid(colon + 1), true};
}

// Strict decimal: no sign unless allowed, no blanks, no trailing bytes.
std::optional<int> toInt(const QString &text, int min, int max)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < min || value > max || text.trimmed() != text)
        return std::nullopt;
    return value;
}

} // namespace

QString addFault(FaultPlan &plan, const QString &specText)
{
    const Spec spec = split(specText);
    const QString quoted = "\"" + specText + "\"";
    auto twice = [&] { return "--fault " + spec.mode + " is given twice"; };
    auto badParameter = [&](const QString &what) {
        return "--fault " + quoted + ": " + spec.mode + " takes " + what;
    };

    if (spec.mode == "split") {
        if (plan.splitGapMs)
            return twice();
        const auto gap = spec.hasParameter ? toInt(spec.parameter, 0, FaultPlan::maxMs)
                                           : FaultPlan::defaultSplitGapMs;
        if (!gap)
            return badParameter(QString("a gap of 0 to %1 ms").arg(FaultPlan::maxMs));
        plan.splitGapMs = gap;
        return {};
    }
    if (spec.mode == "delay") {
        if (plan.delayMs)
            return twice();
        const auto ms =
            spec.hasParameter ? toInt(spec.parameter, 1, FaultPlan::maxMs) : std::nullopt;
        if (!ms)
            return badParameter(
                QString("a pause of 1 to %1 ms, as in delay:500").arg(FaultPlan::maxMs));
        plan.delayMs = ms;
        return {};
    }
    if (spec.mode == "drop") {
        if (plan.dropAfter)
            return twice();
        const auto n = spec.hasParameter ? toInt(spec.parameter, 0, INT_MAX) : std::nullopt;
        if (!n)
            return badParameter("a number of blocks of 0 or more, as in drop:10");
        plan.dropAfter = n;
        return {};
    }
    if (spec.mode == "badsize") {
        if (plan.sizeDelta != 0)
            return twice();
        const auto delta = spec.hasParameter ? toInt(spec.parameter, -0xffff, 0xffff)
                                             : FaultPlan::defaultSizeDelta;
        if (!delta || *delta == 0)
            return badParameter("a non-zero change of -65535 to 65535");
        plan.sizeDelta = *delta;
        return {};
    }
    if (spec.mode == "overcount") {
        if (plan.overcount != 0)
            return twice();
        const auto count = spec.hasParameter ? toInt(spec.parameter, FaultPlan::minOvercount,
                                                     FaultPlan::maxOvercount)
                                             : FaultPlan::defaultOvercount;
        if (!count)
            return badParameter(QString("a count of %1 to %2")
                                    .arg(FaultPlan::minOvercount)
                                    .arg(FaultPlan::maxOvercount));
        plan.overcount = *count;
        return {};
    }
    return "--fault " + quoted +
           " is no fault mode; the modes are split, delay, drop, badsize "
           "and overcount";
}

QString faultModesHelp()
{
    return QString::fromLatin1(modesHelp);
}

void applySizeDelta(QByteArray &block, int delta)
{
    if (block.size() < wire::sizeFieldBytes)
        return;
    auto *bytes = reinterpret_cast<unsigned char *>(block.data());
    wire::writeU16(bytes, quint16(wire::readU16(bytes) + delta));
}
