#include "data/DztImport.h"

#include "base/DateText.h"
#include "base/DepthModel.h"
#include "base/Numeric.h"
#include "data/DoubleDensity.h"
#include "data/Family.h"
#include "data/FileOpen.h"
#include "data/PermittivityPreset.h"
#include "data/TraceResampling.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace rebar {

namespace {

using namespace DztImportGrid;

constexpr int R = Family730::RawLast;       // 512 samples at 1/64 ns
constexpr double RecordStepNs = 1.0 / 64.0; // between two raw samples
constexpr int64_t PerClipped = 1000;        // at most one sample in a thousand clips
constexpr double Headroom = 2047;           // counts on either side of 2048 in 12 bits
constexpr int MedianTraces = 256;           // the median trace is taken over at most these
constexpr int64_t MedianValues = 8 << 20;   // and over at most this many samples
constexpr int PumpEvery = 256;              // traces between two trips through the events
// Plausible permittivities of a file; the depth scale shows 2.0..20.0.
constexpr float MinPlausible = 1, MaxPlausible = 81, MinShown = 2, MaxShown = 20;

// Time after the surface that the record holds: up to its last raw sample.
double recordAfterSurfaceNs() {
    return DepthModel::timeOfRawSample(R) - DepthModel::TimeZeroNs;
}

ReadResult pickChannel(const DztFile& file, const DztImportOptions& o, int& channel) {
    const int n = file.channels();
    channel = o.channel;
    if (channel == 0 && n > 1 && o.chooseChannel) {
        QStringList antennas;
        for (int c = 0; c < n; ++c)
            antennas << file.header(c).Antenna;
        const std::optional<int> answer = o.chooseChannel(antennas);
        if (!answer)
            return ReadResult::cancel();
        channel = *answer;
    }
    if (channel == 0)
        channel = 1;
    if (channel < 1 || channel > n)
        return ReadResult::failure(
            QStringLiteral("channel %1: the file holds channels 1 to %2").arg(channel).arg(n));
    return ReadResult::success();
}

ReadResult pickPitch(const DztHeader& h, const DztImportOptions& o, double& pitch, bool& asked) {
    asked = false;
    if (h.ScansPerMetre > 0) {
        pitch = 1000.0 / h.ScansPerMetre;
    } else {
        pitch = o.pitchMm;
        if (!(pitch > 0) && o.askPitch) {
            const std::optional<double> answer = o.askPitch();
            if (!answer)
                return ReadResult::cancel();
            pitch = *answer;
            asked = true;
        }
        if (!(pitch > 0) && !asked)
            return ReadResult::failure(
                QStringLiteral("the file was recorded by time, not by distance: the distance "
                               "between its scans must be given"));
    }
    if (!std::isfinite(pitch) || pitch < MinPitchMm || pitch > MaxPitchMm)
        return ReadResult::failure(
            QStringLiteral("%1 mm between scans: the import takes %2 to %3 mm")
                .arg(pitch)
                .arg(MinPitchMm)
                .arg(MaxPitchMm));
    return ReadResult::success();
}

// The RDD file beside the DZT file that a save writes: the same name (with the channel when
// the file holds several), never one that exists already.
std::optional<QString> besideRdd(const QString& dztPath, int channel, int channels) {
    const QString ext = dztPath.right(3);
    const QString rdd = ext == ext.toLower() ? QStringLiteral("rdd") : QStringLiteral("RDD");
    QString base = dztPath.left(dztPath.size() - 3);
    base.chop(1); // the dot
    if (channels > 1)
        base += QStringLiteral("_CH%1").arg(channel);
    for (int n = 1; n < 100; ++n) {
        const QString p =
            (n == 1 ? base : base + QStringLiteral(" (%1)").arg(n)) + QLatin1Char('.') + rdd;
        if (!QFileInfo::exists(p))
            return p;
    }
    return std::nullopt;
}

QString number(double v, int digits = 4) {
    return QString::number(v, 'g', digits);
}

// The line of the file in the record: reading scans, resampling them in distance and time,
// and mapping them onto 12 bits.
class LineImport {
public:
    LineImport(const DztFile& file, int channel, double pitchMm, DztImportFigures& fig,
               const ReadContext& ctx)
        : m_file(file), m_channel(channel), m_pitch(pitchMm), m_fig(fig), m_ctx(ctx),
          m_samples(file.samples()), m_dt(double(file.header().RangeNs) / file.samples()) {}

    int32_t traces() const {
        const double length = double(m_file.scans() - 1) * m_pitch;
        return static_cast<int32_t>(std::floor(length / PitchMm + 1e-9)) + 1;
    }

    // The median trace of the line and the surface echo in it; then the time grid.
    void alignOnSurface();
    // Every record trace into m_out (traces x 512, echo amplitudes of the file).
    // False when there is not memory enough.
    bool resample();
    // The record's samples: measured traces, then the surface echo of the median trace as the
    // fixed and the user surface wave.
    void quantise(MeasurementRecord& r);

private:
    void boxAverage(int32_t n);
    void interpolate(int32_t n);
    void afterTrace(int32_t k) const {
        if (k % PumpEvery == 0)
            m_ctx.pump();
    }
    // After record trace k is in m_out: keeps its largest magnitude.
    void finishTrace(int32_t k);
    void toCounts(const float* v, int16_t* x, int64_t* clipped) const;

    const DztFile& m_file;
    int m_channel; // 0-based
    double m_pitch;
    DztImportFigures& m_fig;
    const ReadContext& m_ctx;
    int m_samples;
    double m_dt;
    std::vector<float> m_median;      // of every sample over the line
    std::vector<float> m_surfaceWave; // the median trace up to the end of the surface echo
    std::optional<TimeResampler> m_time;
    Matrix<float> m_out; // record traces 0..n-1 (trace k + 1), samples 0..511 (sample j + 1)
    double m_peak = 0;   // the largest magnitude in m_out
    double m_gain = 1;
};

void LineImport::alignOnSurface() {
    const int64_t scans = m_file.scans();
    const int64_t byValues = std::max<int64_t>(16, MedianValues / m_samples);
    const int count = static_cast<int>(std::min<int64_t>({scans, MedianTraces, byValues}));
    std::vector<float> picked(static_cast<size_t>(count) * static_cast<size_t>(m_samples));
    for (int m = 0; m < count; ++m) {
        const int64_t s = count == 1 ? 0 : m * (scans - 1) / (count - 1);
        m_file.trace(m_channel, s, picked.data() + static_cast<size_t>(m) * m_samples);
    }
    MedianTrace(picked, count, m_samples, m_median);

    double position = 0;
    m_fig.surfaceFound = FindSurfaceEcho(m_median, DztLayout::LeadingWords, position);
    m_surfaceWave = m_median;
    if (m_fig.surfaceFound)
        KeepSurfaceEcho(m_surfaceWave, DztLayout::LeadingWords, position);
    // Without a surface echo the file's own time zero stays the record's.
    m_fig.surfaceNs = m_fig.surfaceFound ? position * m_dt : DepthModel::TimeZeroNs;
    m_fig.timeShiftNs = m_fig.surfaceNs - DepthModel::TimeZeroNs;
    m_fig.afterSurfaceNs = (m_samples - 1) * m_dt - m_fig.surfaceNs;
    const double held = recordAfterSurfaceNs();
    m_fig.cut = m_fig.afterSurfaceNs > held + RecordStepNs / 2;
    m_fig.padded = m_fig.afterSurfaceNs < held - RecordStepNs / 2;
    m_fig.paddedBefore = DepthModel::timeOfRawSample(1) + m_fig.timeShiftNs <
                         DztLayout::LeadingWords * m_dt - RecordStepNs / 2;

    std::vector<double> positions(R);
    for (int j = 1; j <= R; ++j)
        positions[static_cast<size_t>(j - 1)] =
            (DepthModel::timeOfRawSample(j) + m_fig.timeShiftNs) / m_dt;
    m_time.emplace(positions, RecordStepNs, m_dt, DztLayout::LeadingWords, m_samples - 1);
}

bool LineImport::resample() {
    const int32_t n = traces();
    if (!m_out.allocate(0, n - 1, R - 1))
        return false;
    m_peak = 0;
    if (m_pitch < PitchMm)
        boxAverage(n);
    else
        interpolate(n);
    return true;
}

void LineImport::finishTrace(int32_t k) {
    const float* v = m_out.trace(k);
    float peak = static_cast<float>(m_peak);
    for (int j = m_time->firstCovered(); j <= m_time->lastCovered(); ++j)
        peak = std::max(peak, std::abs(v[j]));
    m_peak = peak;
    afterTrace(k);
}

// Denser than the record: each record trace is the mean of the scans within 1.25 mm of it.
void LineImport::boxAverage(int32_t n) {
    const int64_t scans = m_file.scans();
    std::vector<float> row(static_cast<size_t>(m_samples));
    float* sum = m_time->input();
    int64_t next = 0;
    for (int32_t k = 0; k < n; ++k) {
        const double edge = (k + 0.5) * PitchMm; // the box ends before this distance
        const int64_t end =
            std::min<int64_t>(scans, static_cast<int64_t>(std::ceil(edge / m_pitch)));
        std::fill(sum, sum + m_samples, 0.0f);
        int64_t used = 0;
        for (; next < end; ++next, ++used) {
            m_file.trace(m_channel, next, row.data());
            for (int i = 0; i < m_samples; ++i)
                sum[i] += row[static_cast<size_t>(i)];
        }
        if (used == 0) { // rounding at the very end of the line: the last scan
            m_file.trace(m_channel, std::min(next, scans - 1), sum);
            used = 1;
        }
        const float scale = 1.0f / static_cast<float>(used);
        for (int i = 0; i < m_samples; ++i)
            sum[i] *= scale;
        m_time->apply(m_out.trace(k));
        finishTrace(k);
    }
}

// As dense or sparser: each record trace lies between two scans, linearly interpolated. Each
// scan is moved onto the time grid once.
void LineImport::interpolate(int32_t n) {
    const int64_t scans = m_file.scans();
    std::vector<float> a(R), b(R);
    int64_t held = -1; // a holds scan held, b scan held + 1
    auto load = [&](int64_t s, std::vector<float>& into) {
        m_file.trace(m_channel, std::min(s, scans - 1), m_time->input());
        m_time->apply(into.data());
    };
    for (int32_t k = 0; k < n; ++k) {
        const double u = k * PitchMm / m_pitch;
        int64_t j = static_cast<int64_t>(std::floor(u));
        double f = u - static_cast<double>(j);
        if (j >= scans - 1) {
            j = scans - 1;
            f = 0;
        }
        if (j != held) {
            if (j == held + 1) {
                std::swap(a, b);
            } else {
                load(j, a);
            }
            load(j + 1, b);
            held = j;
        }
        float* out = m_out.trace(k);
        const auto g = static_cast<float>(f);
        for (int i = 0; i < R; ++i)
            out[i] = a[static_cast<size_t>(i)] +
                     g * (b[static_cast<size_t>(i)] - a[static_cast<size_t>(i)]);
        finishTrace(k);
    }
}

// Counts of one trace: 2048 + gain x value, rounded (halves to even) and held to 12 bits; two
// samples at a time in double precision.
void LineImport::toCounts(const float* v, int16_t* x, int64_t* clipped) const {
    typedef double D2 __attribute__((vector_size(16)));
    typedef float F2 __attribute__((vector_size(8)));
    typedef int64_t I2 __attribute__((vector_size(16)));
    constexpr double Magic = 6755399441055744.0; // 1.5 x 2^52: adding it rounds half to even
    static_assert(R % 2 == 0);
    I2 outside{};
    for (int j = 0; j < R; j += 2) {
        F2 f;
        std::memcpy(&f, v + j, sizeof f);
        D2 c = 2048.0 + m_gain * __builtin_convertvector(f, D2);
        c = c < -1.0 ? -1.0 : c; // far outside stays outside (and within rounding's range)
        c = c > 4096.0 ? 4096.0 : c;
        D2 r = (c + Magic) - Magic;
        outside -= (r < 0.0) | (r > 4095.0); // each comparison is -1 where true
        r = r < 0.0 ? 0.0 : r;
        r = r > 4095.0 ? 4095.0 : r;
        const I2 n = __builtin_convertvector(r, I2);
        x[j + 1] = static_cast<int16_t>(n[0]);
        x[j + 2] = static_cast<int16_t>(n[1]);
    }
    if (clipped)
        *clipped += outside[0] + outside[1];
}

void LineImport::quantise(MeasurementRecord& r) {
    const int32_t n = traces();
    // One gain over the samples that come from the file (the padding is the zero level).
    const int c0 = m_time->firstCovered(), c1 = m_time->lastCovered();
    ClipGain gain(m_peak);
    for (int32_t k = 0; k < n && c0 <= c1; ++k)
        gain.add(m_out.trace(k) + c0, c1 - c0 + 1);
    m_gain = gain.gain(Headroom, PerClipped);
    m_fig.gain = m_gain;
    m_fig.mapped = gain.count();

    m_fig.clipped = 0;
    for (int32_t k = 0; k < n; ++k) {
        int16_t* x = r.Raw730.trace(k + 1);
        x[0] = 0;
        toCounts(m_out.trace(k), x, &m_fig.clipped);
        afterTrace(k);
    }
    std::vector<float> surface(R);
    m_time->apply(m_surfaceWave.data(), surface.data());
    for (int t : {-1, 0}) {
        int16_t* x = r.Raw730.trace(t);
        x[0] = 0;
        toCounts(surface.data(), x, nullptr);
    }
    m_out.reset();
}

void fillFigures(const DztFile& file, const QString& path, DztImportFigures& f) {
    const DztHeader& h = file.header();
    f.source = path;
    f.channels = file.channels();
    f.bits = file.bits();
    f.samples = file.samples();
    f.rangeNs = h.RangeNs;
    f.positionNs = std::isfinite(h.PositionNs) ? h.PositionNs : 0;
    f.scansPerMetre = h.ScansPerMetre;
    f.scansPerSecond = h.ScansPerSecond;
    f.scans = file.scans();
    f.filePermittivity = h.Permittivity;
    f.created = DztDate::decode(h.Created).toDateTime();
    f.warnings = file.warnings();
}

// The header fields of the imported record.
void fillHeader(MeasurementRecord& r, const DztImportFigures& f) {
    r.FileKind = KindRdd;
    r.TraceCount = f.traces;
    r.DataNo = 0;
    r.XScale = 0;
    r.XAdjust = 0; // the record's pitch is the plain 2.5 mm
    r.Permittivity = f.permittivity;
    r.PermittivityPreset = PermittivityPresetOf(f.permittivity);
    r.ColorCode = 0;
    r.Direction = 0;
    // The import fills the 12 bits where the scanner's own files use about half of them: the
    // lowest sensitivity step shows it as those files show at the automatic step.
    r.Gain = 1;
    r.GainMode = 0;
    r.ViewRange = 1;
    r.ProcCode = 1; // fixed surface-wave removal: takes off the median trace
    r.PeakFlag = 0;
    r.ProcessingLine = 0;
    if (f.created.isValid()) {
        r.MeasureDate = ShortDateText(f.created.date());
        r.MeasureTime = f.created.time().toString(QStringLiteral("HH:mm:ss"));
    }
    r.Markers730.assign(1, Marker730{}); // one free entry, as a save writes an empty list
    r.Note = DztImportNote(f);
    r.Modified = FlagTrue;
}

} // namespace

bool IsDztPath(const QString& path) {
    return path.right(3).toUpper() == QLatin1String("DZT");
}

QString DztImportNote(const DztImportFigures& f) {
    QStringList lines;
    const QString name = f.source.mid(
        std::max(f.source.lastIndexOf(QLatin1Char('/')), f.source.lastIndexOf(QLatin1Char('\\'))) +
        1);
    QString from = QStringLiteral("Imported from %1, channel %2 of %3")
                       .arg(name)
                       .arg(f.channel)
                       .arg(f.channels);
    if (!f.antenna.isEmpty())
        from += QStringLiteral(" (antenna %1)").arg(f.antenna);
    lines << from;
    const QString spacing =
        f.scansPerMetre > 0 ? QStringLiteral("%1 scans per metre").arg(number(f.scansPerMetre, 6))
                            : QStringLiteral("recorded by time, %1 mm between scans given")
                                  .arg(number(f.pitchMm, 6));
    lines << QStringLiteral("%1 samples of %2 bits in %3 ns, %4, %5 scans")
                 .arg(f.samples)
                 .arg(f.bits)
                 .arg(number(f.rangeNs, 6), spacing)
                 .arg(f.scans);
    if (f.surfaceFound)
        lines << QStringLiteral("Surface echo at %1 ns moved to %2 ns (times shifted by %3 ns)")
                     .arg(number(f.surfaceNs), number(DepthModel::TimeZeroNs),
                          number(f.timeShiftNs));
    else
        lines << QStringLiteral("No surface echo found: the file's time zero is kept");
    const QString held = number(recordAfterSurfaceNs(), 3);
    lines << (f.cut      ? QStringLiteral("%1 ns after the surface, cut to %2 ns")
              : f.padded ? QStringLiteral("%1 ns after the surface, padded to %2 ns")
                         : QStringLiteral("%1 ns after the surface, %2 ns kept"))
                 .arg(number(f.afterSurfaceNs, 3), held);
    lines << QStringLiteral("Gain %1, %2 of %3 samples clipped; %4 traces of 2.5 mm")
                 .arg(number(f.gain))
                 .arg(f.clipped)
                 .arg(f.mapped)
                 .arg(f.traces);
    if (!f.permittivityFromFile)
        lines << QStringLiteral("Permittivity %1 of the file not used, %2 taken")
                     .arg(number(f.filePermittivity), number(f.permittivity));
    return lines.join(QStringLiteral("\r\n"));
}

ReadResult ImportDzt(MeasurementRecord& r, const ReadContext& ctx) {
    DztImportFigures local;
    DztImportFigures& fig = ctx.dztFigures ? *ctx.dztFigures : local;
    fig = DztImportFigures{};
    const DztImportOptions defaults;
    const DztImportOptions& opt = ctx.dztOptions ? *ctx.dztOptions : defaults;

    DztFile file;
    if (ReadResult res = file.read(r.FilePath); !res)
        return res;
    fillFigures(file, r.FilePath, fig);
    int channel = 0;
    if (ReadResult res = pickChannel(file, opt, channel); !res)
        return res;
    fig.channel = channel;
    fig.antenna = file.header(channel - 1).Antenna;
    if (ReadResult res = pickPitch(file.header(), opt, fig.pitchMm, fig.pitchAsked); !res)
        return res;

    LineImport line(file, channel - 1, fig.pitchMm, fig, ctx);
    const int32_t n = line.traces();
    if (n > MaxTraces)
        return ReadResult::failure(
            QStringLiteral("%1 scans %2 mm apart make %3 traces of 2.5 mm; the import takes at "
                           "most %4")
                .arg(file.scans())
                .arg(fig.pitchMm)
                .arg(n)
                .arg(MaxTraces));
    fig.traces = n;
    const std::optional<QString> rdd = besideRdd(r.FilePath, channel, file.channels());
    if (!rdd)
        return ReadResult::failure(QStringLiteral("no free RDD file name beside the file"));
    if (!r.Raw730.allocate(-1, n, R) || !r.Samples730.allocate(-1, n, Family730::DDLast) ||
        !r.Work730.allocate(1, n, R) || !r.Work730x2.allocate(1, n, Family730::DDLast))
        return ReadResult::failure(QStringLiteral("not enough memory for %1 traces").arg(n));

    line.alignOnSurface();
    if (!line.resample())
        return ReadResult::failure(QStringLiteral("not enough memory for %1 traces").arg(n));
    line.quantise(r);
    fig.marks = file.marks(channel - 1, &fig.marksKnown);
    for (const DztMark& m : fig.marks)
        fig.markTraces.push_back(std::clamp<int32_t>(
            static_cast<int32_t>(std::lround(double(m.scan) * fig.pitchMm / PitchMm)) + 1, 1, n));

    int bad = 0;
    if (!DoubleDensityPass<Family730>(r.Raw730, r.Samples730, nullptr, nullptr, -1, n, &bad))
        return ReadResult::failure(
            QStringLiteral("trace %1: a sum of two samples leaves 16 bits").arg(bad));

    const float fp = fig.filePermittivity;
    const bool plausible = std::isfinite(fp) && fp >= MinPlausible && fp <= MaxPlausible;
    fig.permittivityFromFile = plausible && fp >= MinShown && fp <= MaxShown;
    fig.permittivity = fig.permittivityFromFile ? fp : opt.defaultPermittivity;
    fillHeader(r, fig);
    SetRecordPath(r, *rdd);
    return ReadResult::success();
}

} // namespace rebar
