// SPDX-License-Identifier: MIT
// A scenario as the simulator's target source: the frame at a time is the
// scenario's targets alive then (see scenario.h).
#pragma once

#include "sim/scenario.h"
#include "sim/targetsource.h"

class ScenarioSource : public TargetSource
{
public:
    explicit ScenarioSource(Scenario scenario) : scenario(std::move(scenario)) {}
    QVector<SimTarget> targetsAt(double seconds) override { return scenario.targetsAt(seconds); }

private:
    Scenario scenario;
};
