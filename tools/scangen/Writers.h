#pragma once
// Measurement files from a scene, laid out as the scanners and the program write them. RDD and
// ZVX files are written by the program's own writers from a record built from the scene; VXD
// and text measurement data, which the program only reads, have writers of their own here.

#include "data/MeasurementRecord.h"
#include "scangen/Scene.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace rebar::scangen {

enum class Format { Rdd, Zvx, Zvx3, VxdB, VxdT, Txt, TxtHex, Dzt };

// The file format named on the command line: "rdd", "zvx" (kind 10), "zvx3" (kind 9), "vxd-b",
// "vxd-t", "txt" (text measurement data, binary samples), "txt-hex" (hexadecimal samples),
// "dzt" (another maker's DZT file; writeScene writes the default DztOutput); false for an
// unknown name.
bool formatFromName(const QString& name, Format& format);

// Sample value of a 730-family amplitude: zero echo is 2048, one surface-wave height
// Scale730 counts, clipped to the scanner's 12 bits.
constexpr double Scale730 = 1000.0;
int16_t sample730(double amplitude);

// Sample values of the 940 family: signed around 0, one surface-wave height Scale940 counts in
// the main channel (Raw940) and Scale940A in the second (Raw940A), clipped to 16 bits.
constexpr double Scale940 = 16000.0;
constexpr double Scale940A = 8000.0;
int16_t sample940(double amplitude);
int16_t sample940A(double amplitude);

// The 940 marks at the bars' apexes: bar i goes to group i mod markGroups as its next mark;
// X is the trace counted from 0, Y the sample of the apex (double-density sample 2Y + 1).
struct SceneMark940 {
    int group = 0; // 0..2
    int mark = 0;  // 1..99
    int32_t x = 0;
    int32_t y = 0;
    int identifier() const { return group * 100 + mark; } // as a VXD file numbers it
};
std::vector<SceneMark940> marks940(const Scene& scene);

// The scene as the record a reader of the family would fill: header, Saved settings, markers
// and raw matrices (Raw730 traces -1..N; Raw940 traces -3..N with Raw940A for the measured
// traces). kind is 7 for the 730 family, 9 or 10 for the 940 family (10 also fills the header
// image with the scanner's part: serial number, date, GPS texts, comments, options).
bool buildRecord(const Scene& scene, int32_t kind, MeasurementRecord& r, QString* error = nullptr);

bool writeRdd(const Scene& scene, const QString& path, QString* error = nullptr);
// kind 10: identifier -4 and both channels; kind 9: identifier -3, second channel zero.
bool writeZvx(const Scene& scene, const QString& path, int32_t kind = KindZvx4,
              QString* error = nullptr);
// The scanner's VXD file: binary (big-endian words) or text variant. The file name decides
// how the program reads it: it must start with "B" or "T".
bool writeVxd(const Scene& scene, const QString& path, bool binary, QString* error = nullptr);
// Text measurement data with binary or hexadecimal samples (the latter read only from file
// names starting with "T").
bool writeText730(const Scene& scene, const QString& path, bool hex, QString* error = nullptr);

bool writeScene(const Scene& scene, Format format, const QString& path, QString* error = nullptr);

// Writes bytes as the file at path in one piece (nothing is left behind when it fails).
bool writeBytes(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace rebar::scangen
