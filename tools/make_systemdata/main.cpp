// make_systemdata <SystemData folder>
//
// Writes the scanners' calibration and colour tables in the formats the program loads: the 730
// family's palette, level, STC and depth files under 730/, the 940 family's colour, STC and depth
// CSVs under 940/. The build runs it into the SystemData folder beside the executables. The
// output is deterministic; the values are ours and are chosen as follows.
//
// Depth. Every depth the program shows comes from these tables, so they follow one physical
// model, DepthModel (base/DepthModel.h): double-density sample s lies at t = s / 128 ns, the
// concrete surface at t0 = 0.25 ns (double-density sample 32), and an echo at t > t0 lies
// c (t - t0) / 2 / sqrt(er) deep, c = 299.792458 mm/ns; earlier samples have depth 0. The 730
// binary tables hold double-density samples 1..1024 (t up to 8 ns). The 940 CSVs hold one value
// per raw sample m = 0..767, which stands for the double-density pair 2m + 1, 2m + 2; the value
// is the depth at the time of the first of the pair, (2m + 1) / 128 ns, which is where the
// readers put the raw sample itself. For every sample past t0 the depth falls strictly as er
// grows (checked by the tests). Values are stored as 32-bit floats (CSV: shortest text that
// reads back to the same float).
//
// STC. Concrete attenuates the echo roughly exponentially with its travel time, so the gain is
// 1.0 up to the surface time t0 and grows exponentially after it, reaching 8 (about +18 dB) at
// the last sample of the record: g(t) = 8 ^ ((t - t0) / (tEnd - t0)); tEnd = 8 ns for the 730
// family (double-density sample 1024), 1535 / 128 ns for the 940 family (raw sample 768).
//
// Palettes. CLR_OFST.dat holds 128 colours in three blocks, one per colour gradation:
//   colour 1, entries 1..43:   rainbow (dark blue, blue, cyan, green, yellow, red, dark red);
//   colour 2, entries 44..86:  polarity (dark blue, blue, white at entry 65, red, dark red);
//   colour 3, entries 87..128: thermal (black, red, orange, yellow, white);
// and 128 grey levels rising evenly from black (entry 1) to white (entry 128).
//
// Level tables. A processed 730 value v (zero echo at 2048) shows at level L = v * 256 / 4096
// limited to 1..256, so zero echo falls on levels 128/129 (the centre) and echoes of +-2048
// reach levels 1 and 256. Each level file gives the offset gradation (level 1..256, monotonic:
// the strongest negative echo at the block's first colour, the strongest positive at its last,
// zero echo mid-block) and the absolute gradation (distance 0..127 from the centre: zero echo
// at the block's quiet end, strong echoes of either sign at its loud end):
//   OFFSET1:   rainbow over the whole block; absolute dark blue (quiet) to dark red (strong);
//   OFFSET2:   polarity over the whole block; absolute white to dark red (its upper half);
//   OFFSET3:   thermal over the whole block; absolute black to white;
//   OFSTMONO1: grey, linear; absolute black (quiet) to white (strong);
//   OFSTMONO2: grey with a contrast curve (tanh) that lifts weak echoes; absolute inverted,
//              white (quiet) to black (strong), a print-friendly look.
// The program derives mono 3 and mono 4 by reversing the offset tables of mono 1 and mono 2.
//
// 940 colour tables. The same gradations over the signed 16-bit amplitude a: the amplitude range
// is cut into 256 equal levels, L = (a + 32768) / 256 + 1, so a = 0 lies just above the centre,
// a = -1 just below it, and -32768 / 32767 reach levels 1 and 256; the colour of a is the colour
// the 730 gradation shows at level L. The program's mirrored columns 10 and 11 then equal the
// 730 reversed mono tables on the same levels.

#include "base/DepthModel.h"
#include "base/Numeric.h"
#include "config/CalibrationTables.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace rebar;
namespace fs = std::filesystem;

struct Rgb {
    int r, g, b;
};

// ---- palettes --------------------------------------------------------------------------

struct Block {
    int first; // palette entry
    int count;
    int last() const { return first + count - 1; }
};
constexpr Block Rainbow{1, 43};
constexpr Block Polarity{44, 43};
constexpr Block Thermal{87, 42};
constexpr int GreyCount = 128;

int component(double x) {
    return static_cast<int>(roundHalfEven(255.0 * std::clamp(x, 0.0, 1.0)));
}

// Colour at position x (0..1) of a piecewise-linear map through evenly spaced stops.
template <size_t N> Rgb throughStops(const std::array<Rgb, N>& stops, double x) {
    const double pos = x * (N - 1);
    const size_t k = std::min(static_cast<size_t>(pos), N - 2);
    const double w = pos - static_cast<double>(k);
    auto mix = [&](int a, int b) { return static_cast<int>(roundHalfEven(a + (b - a) * w)); };
    return {mix(stops[k].r, stops[k + 1].r), mix(stops[k].g, stops[k + 1].g),
            mix(stops[k].b, stops[k + 1].b)};
}

Rgb rainbow(double x) {
    return {component(1.5 - std::abs(4 * x - 3)), component(1.5 - std::abs(4 * x - 2)),
            component(1.5 - std::abs(4 * x - 1))};
}
Rgb polarity(double x) {
    static constexpr std::array<Rgb, 5> stops = {
        Rgb{5, 48, 97}, Rgb{67, 147, 195}, Rgb{247, 247, 247}, Rgb{214, 96, 77}, Rgb{103, 0, 31}};
    return throughStops(stops, x);
}
Rgb thermal(double x) {
    return {component(3 * x), component(3 * x - 1), component(3 * x - 2)};
}

std::array<Rgb, 129> colourPalette() {
    std::array<Rgb, 129> p{};
    auto fill = [&](Block b, Rgb (*map)(double)) {
        for (int k = 0; k < b.count; ++k)
            p[b.first + k] = map(static_cast<double>(k) / (b.count - 1));
    };
    fill(Rainbow, rainbow);
    fill(Polarity, polarity);
    fill(Thermal, thermal);
    return p;
}

int greyLevel(int entry) {
    return static_cast<int>(roundHalfEven((entry - 1) * 255.0 / (GreyCount - 1)));
}

// ---- level tables ----------------------------------------------------------------------

// The 384 values of a level file: offset[L - 1] for levels 1..256, absolute[d] for the distance
// d = 0..127 from the centre.
struct LevelFile {
    std::array<int, 256> offset;
    std::array<int, 128> absolute;
};

// Levels 1..256 spread evenly over a block, lowest level first.
int offsetIndex(Block b, int level) {
    return b.first + (level - 1) * b.count / 256;
}
// Distances 0..127 spread evenly over the palette entries from..to.
int absoluteIndex(int from, int to, int d) {
    return from + d * (to - from + 1) / 128;
}
// A contrast curve on -1..1 that keeps the ends and steepens the middle.
double contrast(double x) {
    return std::tanh(2.0 * x) / std::tanh(2.0);
}
int greyEntry(double y01) {
    return 1 + static_cast<int>(roundHalfEven(y01 * (GreyCount - 1)));
}

std::array<LevelFile, 5> levelFiles() {
    std::array<LevelFile, 5> f{};
    const Block colour[3] = {Rainbow, Polarity, Thermal};
    for (int c = 0; c < 3; ++c)
        for (int L = 1; L <= 256; ++L)
            f[c].offset[L - 1] = offsetIndex(colour[c], L);
    const int polarityWhite = Polarity.first + Polarity.count / 2;
    for (int d = 0; d < 128; ++d) {
        f[0].absolute[d] = absoluteIndex(Rainbow.first, Rainbow.last(), d);
        f[1].absolute[d] = absoluteIndex(polarityWhite, Polarity.last(), d);
        f[2].absolute[d] = absoluteIndex(Thermal.first, Thermal.last(), d);
        f[3].absolute[d] = 1 + d;
        f[4].absolute[d] = greyEntry(1.0 - contrast(d / 127.0));
    }
    for (int L = 1; L <= 256; ++L) {
        const double x = (L - 128.5) / 127.5; // -1 at level 1, +1 at level 256
        f[3].offset[L - 1] = 1 + (L - 1) / 2;
        f[4].offset[L - 1] = greyEntry((contrast(x) + 1.0) / 2.0);
    }
    return f;
}

// The colour the 730 family shows for gradation g at level L (1..256), expanded from the level
// files the way the program expands them.
Rgb gradationColour(const std::array<LevelFile, 5>& files, const std::array<Rgb, 129>& palette,
                    int g, int L) {
    int index;
    if (g >= 10)
        index = files[g - 7].offset[256 - L]; // reversed mono 1 / mono 2 offset
    else if (g % 2 == 1)
        index = files[g / 2].offset[L - 1];
    else
        index = files[g / 2].absolute[L <= 128 ? 128 - L : L - 129];
    if (g <= 5)
        return palette[index];
    const int grey = greyLevel(index);
    return {grey, grey, grey};
}

// The level of a signed 16-bit 940 amplitude: 256 equal bins, 1..256.
int level940(int amplitude) {
    return ((amplitude + 32768) >> 8) + 1;
}

// ---- depth and STC -------------------------------------------------------------------------

double stcGain(double t, double tEnd) {
    if (t <= DepthModel::TimeZeroNs)
        return 1.0;
    return std::pow(8.0, (t - DepthModel::TimeZeroNs) / (tEnd - DepthModel::TimeZeroNs));
}

// ---- output --------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(fs::path root) : m_root(std::move(root)) {}
    bool ok() const { return m_ok; }

    void binary(const std::string& rel, const std::vector<float>& values) {
        std::string bytes(values.size() * 4, '\0');
        for (size_t k = 0; k < values.size(); ++k) {
            const auto bits = std::bit_cast<uint32_t>(values[k]);
            for (int b = 0; b < 4; ++b)
                bytes[4 * k + b] = static_cast<char>((bits >> (8 * b)) & 0xff); // little-endian
        }
        text(rel, bytes);
    }

    void text(const std::string& rel, const std::string& content) {
        const fs::path p = m_root / rel;
        std::error_code ec;
        fs::create_directories(p.parent_path(), ec);
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "make_systemdata: cannot write %s\n", p.string().c_str());
            m_ok = false;
        }
    }

private:
    fs::path m_root;
    bool m_ok = true;
};

// Text lines end with CR LF, as the scanners' own table files do.
constexpr const char* Eol = "\r\n";

void appendFloat(std::string& s, float v) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    s.append(buf, r.ptr);
    s += Eol;
}

void appendColour(std::string& s, Rgb c) {
    char buf[16];
    char* p = buf;
    for (int v : {c.r, c.g, c.b}) {
        p = std::to_chars(p, buf + sizeof buf, v).ptr;
        *p++ = ',';
    }
    s.append(buf, p - 1);
    s += Eol;
}

void write730(Writer& w, const std::array<Rgb, 129>& palette,
              const std::array<LevelFile, 5>& levels) {
    std::vector<float> clr(512);
    for (int k = 1; k <= 128; ++k) {
        clr[k - 1] = static_cast<float>(palette[k].r);
        clr[127 + k] = static_cast<float>(palette[k].g);
        clr[255 + k] = static_cast<float>(palette[k].b);
        clr[383 + k] = static_cast<float>(greyLevel(k));
    }
    w.binary(CalibrationFiles::Palette730, clr);

    for (size_t f = 0; f < levels.size(); ++f) {
        std::vector<float> v(384);
        for (int k = 0; k < 256; ++k)
            v[k] = static_cast<float>(levels[f].offset[k]);
        for (int d = 0; d < 128; ++d)
            v[256 + d] = static_cast<float>(levels[f].absolute[d]);
        w.binary(CalibrationFiles::Levels730[f], v);
    }

    std::vector<float> stc(1024);
    for (int s = 1; s <= 1024; ++s)
        stc[s - 1] = static_cast<float>(
            stcGain(DepthModel::timeOfSample(s), DepthModel::timeOfSample(1024)));
    w.binary(CalibrationFiles::Stc730, stc);

    std::string list;
    for (int e = CalibrationTables::FirstPermittivityIndex;
         e <= CalibrationTables::LastPermittivityIndex; ++e) {
        char name[32];
        std::snprintf(name, sizeof name, "Depth_%03d.dat", e);
        std::vector<float> depth(1024);
        for (int s = 1; s <= 1024; ++s)
            depth[s - 1] =
                static_cast<float>(DepthModel::depthAt(DepthModel::timeOfSample(s), e / 10.0));
        w.binary(std::string("730/Depth/") + name, depth);
        list += std::string("\\SystemData\\730\\Depth\\") + name + Eol;
    }
    w.text(CalibrationFiles::DepthList730, list);
}

void write940(Writer& w, const std::array<Rgb, 129>& palette,
              const std::array<LevelFile, 5>& levels) {
    // Gradation index of ColorTable940 columns 0..9 (the inverse of ColorTable940ColumnOf).
    std::array<int, 10> gradationOf{};
    for (int g = 0; g < 10; ++g)
        gradationOf[ColorTable940ColumnOf[g]] = g;
    for (size_t c = 0; c < CalibrationFiles::Colors940.size(); ++c) {
        std::array<Rgb, 257> byLevel{};
        for (int L = 1; L <= 256; ++L)
            byLevel[L] = gradationColour(levels, palette, gradationOf[c], L);
        std::string csv;
        csv.reserve(65537 * 13);
        csv += "R,G,B";
        csv += Eol;
        for (int a = -32768; a <= 32767; ++a)
            appendColour(csv, byLevel[level940(a)]);
        w.text(CalibrationFiles::Colors940[c], csv);
    }

    std::string stc;
    const double tEnd = DepthModel::timeOfRawSample(768);
    for (int m = 0; m < 768; ++m)
        appendFloat(stc, static_cast<float>(stcGain(DepthModel::timeOfRawSample(m + 1), tEnd)));
    w.text(CalibrationFiles::Stc940, stc);

    for (int e = CalibrationTables::FirstPermittivityIndex;
         e <= CalibrationTables::LastPermittivityIndex; ++e) {
        std::string csv;
        for (int m = 0; m < 768; ++m)
            appendFloat(csv, static_cast<float>(DepthModel::depthAt(
                                 DepthModel::timeOfRawSample(m + 1), e / 10.0)));
        w.text(CalibrationFiles::depth940(e).toStdString(), csv);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_systemdata <SystemData folder>\n");
        return 2;
    }
    const auto palette = colourPalette();
    const auto levels = levelFiles();
    Writer w{fs::path(argv[1])};
    write730(w, palette, levels);
    write940(w, palette, levels);
    return w.ok() ? 0 : 1;
}
