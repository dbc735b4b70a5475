#include "scangen/DztWriter.h"

#include "base/Numeric.h"
#include "data/DztReader.h"
#include "scangen/Writers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace rebar::scangen {

namespace {

using namespace rebar::DztLayout;

// The scene is rendered on a fine grid of 1/64 ns (the scene's raw sample spacing) and
// interpolated from there onto the file's samples.
constexpr double FineStepNs = 1.0 / 64.0;

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

template <typename T> void put(QByteArray& b, qsizetype off, T v) {
    std::memcpy(b.data() + off, &v, sizeof v); // every target of the program is little-endian
}

// Catmull-Rom interpolation of v at fractional index p.
double cubic(const std::vector<double>& v, double p) {
    const auto last = static_cast<int>(v.size()) - 1;
    const int i = static_cast<int>(std::floor(p));
    const double t = p - i;
    auto at = [&](int k) { return v[static_cast<size_t>(std::clamp(k, 1, last))]; };
    const double p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
    return p1 + 0.5 * t *
                    (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
}

QByteArray headerBlock(const Scene& s, const DztOutput& o, int channel, const QString& path) {
    QByteArray b(BlockSize, '\0');
    put<uint16_t>(b, OffTag, static_cast<uint16_t>(channel << 8 | 0xFF));
    put<uint16_t>(b, OffData, 1024); // data after the header blocks
    put<uint16_t>(b, OffSamples, static_cast<uint16_t>(o.samples));
    put<uint16_t>(b, OffBits, static_cast<uint16_t>(o.bits));
    put<float>(b, OffSps, static_cast<float>(o.scansPerSecond));
    put<float>(b, OffSpm, o.byTime ? 0.0f : static_cast<float>(1000.0 / s.pitchMm));
    put<float>(b, OffRange, static_cast<float>(o.rangeNs));
    put<uint32_t>(
        b, OffCreated,
        DztDate::encode(QDateTime(s.date, QTime::fromString(s.time, QStringLiteral("HH:mm:ss")))));
    put<uint16_t>(b, OffChannels, static_cast<uint16_t>(o.channels));
    put<float>(b, OffEpsr, static_cast<float>(s.er));
    // Depth span of the window at the scene's wave speed (m/ns).
    const double v = 0.299792458 / std::sqrt(s.er);
    put<float>(b, OffDepth, static_cast<float>(o.rangeNs * v / 2));
    const QByteArray antenna = QStringLiteral("SG%1 CH%2")
                                   .arg(std::lround(s.centreGHz * 1000))
                                   .arg(channel + 1)
                                   .toLatin1();
    std::memcpy(b.data() + OffAntenna, antenna.constData(),
                static_cast<size_t>(std::min<qsizetype>(antenna.size(), LenAntenna)));
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const QByteArray name = fileName.toLatin1().left(LenName);
    std::memcpy(b.data() + OffName, name.constData(), static_cast<size_t>(name.size()));
    b[113] = 1; // version 1: no GPS
    if (!s.note.isEmpty()) {
        constexpr int TextAt = 128;
        QByteArray text = s.note.toLatin1().left(GpsAreaStart - TextAt - 1);
        text.replace('\n', ' ');
        put<uint16_t>(b, OffText, TextAt);
        put<uint16_t>(b, OffNtext, static_cast<uint16_t>(text.size() + 1));
        std::memcpy(b.data() + TextAt, text.constData(), static_cast<size_t>(text.size()));
    }
    put<uint16_t>(b, ChecksumOffset, checksum(b.constData()));
    return b;
}

// The scans nearest the bars carry a distance mark.
std::vector<bool> markedScans(const Scene& s) {
    std::vector<bool> marked(static_cast<size_t>(s.traces), false);
    if (!s.markBars)
        return marked;
    for (const SceneBar& bar : s.bars) {
        const auto j = std::lround(bar.distanceMm / s.pitchMm);
        if (j >= 0 && j < s.traces)
            marked[static_cast<size_t>(j)] = true;
    }
    return marked;
}

// One sample of channel amplitude a in the file's coding.
void putSample(QByteArray& b, qsizetype off, int bits, double a) {
    switch (bits) {
    case 8:
        b[off] = static_cast<char>(std::clamp(128.0 + roundHalfEven(a * ScaleDzt8), 0.0, 255.0));
        break;
    case 16:
        put<uint16_t>(b, off,
                      static_cast<uint16_t>(
                          std::clamp(32768.0 + roundHalfEven(a * ScaleDzt16), 0.0, 65535.0)));
        break;
    default:
        put<int32_t>(b, off, static_cast<int32_t>(roundHalfEven(a * ScaleDzt32)));
        break;
    }
}

// The two leading words of a trace: sync (all bits, or the scan counter in 32-bit files) and
// the mark word.
void putWords(QByteArray& b, qsizetype off, int bits, int scan, bool marked) {
    switch (bits) {
    case 8:
        b[off] = static_cast<char>(0xFF);
        b[off + 1] = static_cast<char>(marked ? 0xE8 : 0xF1);
        break;
    case 16:
        put<uint16_t>(b, off, 0xFFFF);
        put<uint16_t>(b, off + 2, marked ? 0xE800 : 0xF100);
        break;
    default:
        put<uint32_t>(b, off, static_cast<uint32_t>(scan + 1));
        put<uint32_t>(b, off + 4, marked ? 0xE4000000u : 0u);
        break;
    }
}

} // namespace

bool writeDzt(const Scene& scene, const DztOutput& o, const QString& path, QString* error) {
    if (o.bits != 8 && o.bits != 16 && o.bits != 32)
        return fail(error, QStringLiteral("a DZT file holds 8-, 16- or 32-bit samples"));
    if (o.channels < 1 || o.channels > 4)
        return fail(error, QStringLiteral("a DZT file of the scene holds 1 to 4 channels"));
    if (o.samples < LeadingWords + 1 || o.samples > 65535)
        return fail(error, QStringLiteral("a DZT trace holds 3 to 65535 samples"));
    if (!(o.rangeNs > 0) || o.rangeNs > 1000 || !(o.surfaceNs >= 0) || o.surfaceNs >= o.rangeNs)
        return fail(error, QStringLiteral("the surface must lie inside a time window of at most "
                                          "1000 ns"));
    if (scene.traces < 1)
        return fail(error, QStringLiteral("a scene needs at least one trace"));

    // Fine sample j lies at file time (j - 1) / 64 ns.
    Scene fine = scene;
    fine.surfaceNs = o.surfaceNs + FineStepNs / 2;
    const int fineLast = static_cast<int>(std::ceil(o.rangeNs / FineStepNs)) + 4;
    const double dt = o.rangeNs / o.samples;
    const int bytes = o.bits / 8;
    const qsizetype traceBytes = qsizetype{o.samples} * bytes;

    QByteArray file;
    for (int c = 0; c < o.channels; ++c)
        file += headerBlock(scene, o, c, path);
    const qsizetype dataAt = file.size();
    file.resize(dataAt + qsizetype{scene.traces} * o.channels * traceBytes);
    const std::vector<bool> marked = markedScans(scene);
    std::vector<double> amp(static_cast<size_t>(fineLast) + 1);
    std::vector<double> trace(static_cast<size_t>(o.samples));
    for (int scan = 0; scan < scene.traces; ++scan) {
        fine.renderTrace(scan + 1, fineLast, amp.data());
        for (int i = LeadingWords; i < o.samples; ++i)
            trace[static_cast<size_t>(i)] = cubic(amp, 1.0 + i * dt / FineStepNs);
        for (int c = 0; c < o.channels; ++c) {
            const qsizetype at = dataAt + (qsizetype{scan} * o.channels + c) * traceBytes;
            putWords(file, at, o.bits, scan, marked[static_cast<size_t>(scan)]);
            for (int i = LeadingWords; i < o.samples; ++i)
                putSample(file, at + qsizetype{i} * bytes, o.bits,
                          trace[static_cast<size_t>(i)] / (c + 1));
        }
    }

    return writeBytes(path, file, error);
}

} // namespace rebar::scangen
