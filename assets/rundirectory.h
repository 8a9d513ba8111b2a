// SPDX-License-Identifier: MIT
// Writes the generated data files into a run directory.
#pragma once

#include "assets/assets.h"

#include <QString>

// Empty when the model, built in scene coordinates, fills its placement
// exactly (box centred on the offset, largest size 2 x scale), so that the
// client's fit-and-place puts it where it was built; else what is wrong.
QString placementProblem(const ModelAsset &asset);

// Writes the scene layout's models with their material libraries, its
// textures and a default clientSettings.xml under `dir`, creating the
// folders. False with `error` set when a model does not fit its placement
// or a file cannot be written.
bool writeRunDirectory(const QString &dir, QString *error);
