#pragma once
// Measurement files from a scene, laid out as the scanners and the program write them.

#include "scangen/Scene.h"

#include <QString>
#include <cstdint>

namespace rebar::scangen {

enum class Format { Rdd };

// The file format named on the command line ("rdd"); false for an unknown name.
bool formatFromName(const QString& name, Format& format);

// Sample value of a 730-family amplitude: zero echo is 2048, one surface-wave height
// Scale730 counts, clipped to the scanner's 12 bits.
constexpr double Scale730 = 1000.0;
int16_t sample730(double amplitude);

// Writes the scene as an RDD file (730 family): the text header the program itself writes, the
// markers at the bars' apexes and the traces -1, 0, 1..N as 16-bit little-endian samples.
bool writeRdd(const Scene& scene, const QString& path, QString* error = nullptr);

bool writeScene(const Scene& scene, Format format, const QString& path, QString* error = nullptr);

} // namespace rebar::scangen
