#pragma once
// A scene as the program sees it: written as the family's own file (RDD for the 730 family,
// ZVX of kind 10 for the 940 family) and read back with the program's kind detection and
// reader, so that the double-density samples are the reader's.

#include "data/MeasurementRecord.h"
#include "scangen/Scene.h"

#include <QString>
#include <memory>

namespace rebar::scangen {

// Writes the scene to path and reads it back; null, with error set, when either step fails.
std::unique_ptr<MeasurementRecord> readSceneBack(const Scene& scene, bool family940,
                                                 const QString& path, QString* error = nullptr);

} // namespace rebar::scangen
