// SPDX-License-Identifier: MIT
#include "sim/patterns.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;

// Walk paths: home point plus two oscillations per axis. The amplitudes add
// up to at most homeMargin, so a path never leaves [0.05, 0.95].
constexpr double homeMin = 0.3;
constexpr double homeSpan = 0.4;
constexpr double slowAmplitudeMin = 0.08, slowAmplitudeSpan = 0.07;
constexpr double fastAmplitudeMin = 0.03, fastAmplitudeSpan = 0.07;
constexpr double slowRadPerSecondMin = 0.08, slowRadPerSecondSpan = 0.17;
constexpr double fastRadPerSecondMin = 0.2, fastRadPerSecondSpan = 0.3;

// splitmix64: small, well mixed and the same on every platform, unlike the
// standard library's distributions.
class Mixer
{
public:
    explicit Mixer(quint64 seed) : state(seed) {}
    quint64 next()
    {
        quint64 z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); } // [0, 1)

private:
    quint64 state;
};

struct Wave
{
    double amplitude, radPerSecond, phase;
    double at(double t) const { return amplitude * std::sin(radPerSecond * t + phase); }
};

struct Path
{
    double home;
    Wave slow, fast;
    double at(double t) const { return home + slow.at(t) + fast.at(t); }
};

Path randomPath(Mixer &mix)
{
    Path p;
    p.home = homeMin + homeSpan * mix.unit();
    p.slow = {slowAmplitudeMin + slowAmplitudeSpan * mix.unit(),
              slowRadPerSecondMin + slowRadPerSecondSpan * mix.unit(), twoPi * mix.unit()};
    p.fast = {fastAmplitudeMin + fastAmplitudeSpan * mix.unit(),
              fastRadPerSecondMin + fastRadPerSecondSpan * mix.unit(), twoPi * mix.unit()};
    return p;
}

quint16 targetValue(int i)
{
    return quint16(i + 1);
}

class WalkPattern : public TargetSource
{
public:
    WalkPattern(int count, quint64 seed)
    {
        Mixer mix(seed);
        paths.reserve(count);
        for (int i = 0; i < count; ++i)
            paths.push_back({randomPath(mix), randomPath(mix)});
    }

    QVector<SimTarget> targetsAt(double seconds) override
    {
        QVector<SimTarget> out(paths.size());
        for (int i = 0; i < paths.size(); ++i)
            out[i] = {float(paths[i].x.at(seconds)), float(paths[i].y.at(seconds)), targetValue(i)};
        return out;
    }

private:
    struct Walker
    {
        Path x, y;
    };
    QVector<Walker> paths;
};

// Grid and corners never change, so they are computed once.
class FixedPattern : public TargetSource
{
public:
    explicit FixedPattern(QVector<SimTarget> targets) : targets(std::move(targets)) {}
    QVector<SimTarget> targetsAt(double) override { return targets; }

private:
    QVector<SimTarget> targets;
};

QVector<SimTarget> gridTargets(int count)
{
    const int k = std::max(1, int(std::ceil(std::sqrt(double(count)))));
    QVector<SimTarget> out(count);
    for (int i = 0; i < count; ++i)
        out[i] = {float((i % k + 0.5) / k), float((i / k + 0.5) / k), targetValue(i)};
    return out;
}

QVector<SimTarget> cornerTargets(int count)
{
    static constexpr std::array<std::array<float, 2>, 5> spots{
        {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {0.5f, 0.5f}}};
    QVector<SimTarget> out(count);
    for (int i = 0; i < count; ++i) {
        const auto &s = spots[size_t(i) % spots.size()];
        out[i] = {s[0], s[1], targetValue(i)};
    }
    return out;
}

} // namespace

QStringList patternNames()
{
    return {"walk", "grid", "corners"};
}

std::optional<Pattern> patternFromName(const QString &name)
{
    if (name == "walk")
        return Pattern::Walk;
    if (name == "grid")
        return Pattern::Grid;
    if (name == "corners")
        return Pattern::Corners;
    return std::nullopt;
}

std::unique_ptr<TargetSource> makePatternSource(Pattern pattern, int count, quint64 seed)
{
    count = std::max(count, 0);
    switch (pattern) {
    case Pattern::Walk:
        return std::make_unique<WalkPattern>(count, seed);
    case Pattern::Grid:
        return std::make_unique<FixedPattern>(gridTargets(count));
    case Pattern::Corners:
        return std::make_unique<FixedPattern>(cornerTargets(count));
    }
    return nullptr;
}
