#include "scangen/Writers.h"

#include "base/Numeric.h"
#include "base/TextEncoding.h"
#include "data/Family.h"
#include "data/RecordWriters.h"
#include "data/ZvxHeader.h"
#include "scangen/DztWriter.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace rebar::scangen {

namespace {

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

// The permittivity presets of the depth-calibration menu, compared at single precision.
int permittivityPreset(double er) {
    static constexpr std::array<float, 7> presets{10.7f, 9.8f, 8.9f, 8.0f, 7.4f, 6.8f, 6.2f};
    for (size_t i = 0; i < presets.size(); ++i)
        if (static_cast<float>(er) == presets[i])
            return static_cast<int>(i);
    return 8;
}

// XAdjust: the trace pitch is 2.5 mm x (1 + XAdjust / 100).
int distanceAdjust(double pitchMm) {
    int16_t adj = 0;
    return roundTo((pitchMm / 2.5 - 1.0) * 100.0, adj) ? adj : 0;
}

// The shortest text that reads back as the same single-precision value.
QByteArray singleText(double v) {
    const auto f = static_cast<float>(v);
    for (int digits = 1; digits <= 9; ++digits) {
        const QByteArray t = QByteArray::number(static_cast<double>(f), 'g', digits);
        if (static_cast<float>(t.toDouble()) == f)
            return t;
    }
    return QByteArray::number(static_cast<double>(f), 'g', 9);
}

// The note with its line breaks as CR LF, as the record keeps it.
QString recordNote(const QString& note) {
    QString n = note;
    n.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    n.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return n;
}

constexpr int32_t ProcessingLine940 = -3; // status word of the 940 processing-line trace

// Raw samples of trace t of the scene in the 940 main channel, with the status word.
void trace940(const Scene& s, int t, std::vector<double>& amp, int32_t* x) {
    s.renderTrace(t, Family940::RawLast, amp.data());
    x[0] = t >= 1 && t == s.processingLine ? ProcessingLine940 : 0;
    for (int j = 1; j <= Family940::RawLast; ++j)
        x[j] = sample940(amp[static_cast<size_t>(j)]);
}

// The display settings the scene's file stores, shown and saved alike.
void setDisplaySettings(const Scene& s, MeasurementRecord& r) {
    r.PermittivityPreset = permittivityPreset(s.er);
    r.Permittivity = static_cast<float>(s.er);
    r.ColorCode = s.colorCode;
    r.Direction = static_cast<int16_t>(s.direction);
    r.Gain = static_cast<int16_t>(s.gain);
    r.GainMode = static_cast<int16_t>(s.gainMode);
    r.ViewRange = static_cast<int16_t>(s.viewRange);
    r.ProcCode = static_cast<int16_t>(s.procCode);
    r.XUnit = s.xUnit;
    r.YUnit = s.yUnit;
    r.Saved = {static_cast<float>(s.er),
               static_cast<int16_t>(s.colorCode),
               static_cast<int16_t>(s.direction),
               static_cast<int16_t>(s.gainMode),
               static_cast<int16_t>(s.gain),
               static_cast<int16_t>(s.viewRange),
               static_cast<int16_t>(s.procCode),
               s.xUnit,
               s.yUnit};
}

bool validate(const Scene& s, QString* error) {
    if (s.traces < 1)
        return fail(error, QStringLiteral("a scene needs at least one trace"));
    if (s.processingLine < 0 || s.processingLine > s.traces)
        return fail(error, QStringLiteral("the processing line is not a trace of the scene"));
    if (s.markGroups < 1 || s.markGroups > 3)
        return fail(error, QStringLiteral("marks go to 1..3 groups"));
    return true;
}

// ---- 730 family ----------------------------------------------------------------------------

bool buildRecord730(const Scene& s, MeasurementRecord& r) {
    r.FileKind = KindRdd;
    r.Note = recordNote(s.note);
    // The scanner's own date form, which every computer reads back.
    r.MeasureDate = s.date.toString(QStringLiteral("yyyy/MM/dd"));
    r.MeasureTime = s.time;
    r.DataNo = static_cast<int16_t>(s.dataNo);
    r.TraceCount = s.traces;
    r.XScale = 0;
    r.XAdjust = distanceAdjust(s.pitchMm);
    setDisplaySettings(s, r);
    r.ProcessingLine = s.processingLine;
    if (s.markBars)
        for (const Scene::Apex& a : s.apexes())
            r.Markers730.push_back({a.position, a.sample});

    constexpr int R = Family730::RawLast;
    if (!r.Raw730.allocate(-1, s.traces, R))
        return false;
    std::vector<double> amp(R + 1);
    for (int t = -1; t <= s.traces; ++t) {
        s.renderTrace(t, R, amp.data());
        int16_t* x = r.Raw730.trace(t);
        x[0] = t >= 1 && t == s.processingLine ? 48 : 0; // status word of the processing line
        for (int j = 1; j <= R; ++j)
            x[j] = sample730(amp[static_cast<size_t>(j)]);
    }
    return true;
}

// ---- 940 family ----------------------------------------------------------------------------

void putText(ZvxHeader& h, int off, int len, const QByteArray& bytes) {
    for (int i = 0; i < len; ++i)
        h.Bytes[static_cast<size_t>(off + i)] =
            i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0;
}

// The scanner's part of a kind 10 header: what the program's writer keeps as it was read.
void fillScannerHeader(const Scene& s, const MeasurementRecord& r, ZvxHeader& h) {
    using H = ZvxHeader;
    putText(h, H::OffSerialNo, H::LenSerialNo, encodeSystemText(s.serialNo));
    putText(h, H::OffMeasureDate, H::LenMeasureDate, r.MeasureDate.toLatin1());
    putText(h, 38, 20, s.time.toLatin1()); // a field the program keeps without reading
    putText(h, H::OffLatitude, H::LenLatitude, s.latitude.toLatin1());
    putText(h, H::OffLongitude, H::LenLongitude, s.longitude.toLatin1());
    h.put<int32_t>(H::OffDataNo, s.dataNo);
    h.put<int32_t>(H::OffStoredTraces, s.traces);
    h.put<int16_t>(H::OffYDataSize, static_cast<int16_t>(r.YDataSize));
    h.Bytes[H::OffXScale] = 0;
    h.put<int16_t>(H::OffXAdjust, static_cast<int16_t>(r.XAdjust));
    h.Bytes[H::OffPrcsAsMS] = 0;
    h.put<int32_t>(H::OffProcessingLine, s.processingLine);
    h.Bytes[H::OffPeak] = 0;
    h.Bytes[H::OffTireOption] = static_cast<uint8_t>(s.tireOption);
    h.Bytes[H::OffHandle] = static_cast<uint8_t>(s.handle);
    h.put<float>(H::OffXPitch, static_cast<float>(s.pitchMm));
    // Comments are UTF-8, cut to their fields.
    putText(h, H::OffComment1, H::LenComment1, s.company.toUtf8().left(H::LenComment1));
    putText(h, H::OffComment2, H::LenComment2, s.site.toUtf8().left(H::LenComment2));
    putText(h, H::OffComment3, H::LenComment3, s.worker.toUtf8().left(H::LenComment3));
    putText(h, H::OffComment4, H::LenComment4, s.part.toUtf8().left(H::LenComment4));
    h.Bytes[H::OffMeasureDirection] = static_cast<uint8_t>(s.measureDirection);
    h.Bytes[H::OffSpeedOption] = static_cast<uint8_t>(s.speedOption);
}

bool buildRecord940(const Scene& s, int32_t kind, MeasurementRecord& r) {
    r.FileKind = kind;
    r.SerialNo = s.serialNo;
    r.Note = recordNote(s.note);
    r.MeasureDate = s.date.toString(QStringLiteral("yyyy/MM/dd"));
    r.MeasureTime = s.time;
    r.DataNo = static_cast<int16_t>(s.dataNo);
    r.TraceCount = s.traces;
    r.XDataSize = s.traces;
    r.YDataSize = Family940::RawLast;
    r.XAdjust = distanceAdjust(s.pitchMm);
    r.XPitch = static_cast<float>(s.pitchMm);
    r.Handle = static_cast<int16_t>(s.handle);
    r.TireOption = static_cast<int16_t>(s.tireOption);
    r.SpeedOption = static_cast<int16_t>(s.speedOption);
    r.ProcessingLine = s.processingLine;
    setDisplaySettings(s, r);
    r.clearMarks940();
    for (const SceneMark940& m : marks940(s))
        r.Marks940[static_cast<size_t>(m.group)][static_cast<size_t>(m.mark)] = {FlagTrue, m.x,
                                                                                 m.y};
    if (kind == KindZvx4)
        fillScannerHeader(s, r, r.Zvx);

    constexpr int R = Family940::RawLast;
    if (!r.Raw940.allocate(-3, s.traces, R) || !r.Raw940A.allocate(-3, s.traces, R))
        return false;
    std::vector<double> amp(R + 1);
    for (int t = -1; t <= s.traces; ++t) {
        trace940(s, t, amp, r.Raw940.trace(t));
        if (t >= 1) {
            int32_t* xa = r.Raw940A.trace(t);
            xa[0] = r.Raw940(t, 0);
            for (int j = 1; j <= R; ++j)
                xa[j] = sample940A(amp[static_cast<size_t>(j)]);
        }
    }
    if (s.processingLine >= 1)
        std::copy_n(r.Raw940.trace(s.processingLine), R + 1, r.Raw940.trace(-3));
    return true;
}

// ---- VXD -----------------------------------------------------------------------------------

QByteArray vxdHeader(const Scene& s, const std::vector<SceneMark940>& marks) {
    QByteArray h;
    auto text = [&h](const char* key, const QString& v) {
        h += '"' + QByteArray(key) + "\",\"" + encodeSystemText(v) + "\"\r\n";
    };
    auto number = [&h](const char* key, const QByteArray& v) {
        h += '"' + QByteArray(key) + "\"," + v + "\r\n";
    };
    auto integer = [&number](const char* key, long long v) { number(key, QByteArray::number(v)); };
    // Sensitivity 0..4 shallow, 5..9 deep (steps 1..5).
    const int gain = std::clamp(s.gain, 1, 5);
    const int colour = ZvxCodes::fileCodeOfColor(s.colorCode);
    const int proc = ZvxCodes::fileCodeOfProc(s.procCode);
    const int xUnit = ZvxCodes::unitCodeOf(s.xUnit);
    const int yUnit = ZvxCodes::unitCodeOf(s.yUnit);
    QString note = recordNote(s.note);
    note.replace(QLatin1String("\r\n"), QLatin1String("@@"));

    text("Ser No.", s.serialNo);
    text("Date", s.date.toString(QStringLiteral("yyyy/MM/dd")));
    text("Time", s.time);
    integer("DataNo", s.dataNo);
    integer("X Data Size", s.traces);
    integer("Y Data Size", Family940::RawLast);
    integer("X Scale", 0);
    integer("X Adjust", distanceAdjust(s.pitchMm));
    integer("Sensitivity", gain - 1 + (s.gainMode != 0 ? 5 : 0));
    number("Y Scale", singleText(s.er));
    integer("Color", colour >= 0 && colour <= 9 ? colour : 0);
    integer("Handle", s.handle);
    integer("Direction", s.direction);
    number("X Pitch", singleText(s.pitchMm));
    integer("Processing", proc >= 0 && proc <= 5 ? proc : 0);
    integer("Prcs as MS", 0);
    integer("Processing Line", s.processingLine);
    integer("Peak", 0);
    integer("Tire Op", s.tireOption);
    integer("Marks", static_cast<long long>(marks.size()));
    integer("ViewRange", s.viewRange);
    text("X Unit", QString::number(xUnit >= 0 ? xUnit : 2));
    text("Y Unit", QString::number(yUnit >= 0 ? yUnit : 1));
    text("NOTE", note);
    text("END", QString());
    return h;
}

void appendBig16(QByteArray& out, int32_t v) {
    const auto u = static_cast<uint16_t>(static_cast<int16_t>(v));
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
}

void appendBig32(QByteArray& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((u >> shift) & 0xFF);
}

// ---- text measurement data -----------------------------------------------------------------

QByteArray text730Header(const Scene& s, const std::vector<Scene::Apex>& markers) {
    QByteArray h;
    auto line = [&h](const QByteArray& text) { h += text + "\r\n"; };
    static const char* const Ranges[] = {"4NS", "6NS", "8NS", "4NSW", "6NSW", "8NSW"};
    static const char* const Colours[] = {"COLOR1", "COLOR2", "COLOR3", "MONOCHROME1",
                                          "MONOCHROME2"};
    static const char* const Gains[] = {"-2", "-1", "A", "+1", "+2"};
    static const char* const Procs[] = {"ORG", "INT", "MAN", "SUB", "AVR", "USER"};
    const int range = std::clamp(s.viewRange, 0, 5);
    const int colour = std::clamp(s.colorCode, 0, 9);
    const int gain = std::clamp(s.gain, 1, 5);
    const int proc = std::clamp(s.procCode, 0, 5);

    line("QTX-730 Measurement Data");
    line("DATE : " + s.date.toString(QStringLiteral("yyyy/MM/dd")).toLatin1());
    line("TIME : " + s.time.toLatin1());
    line("DATA # : " + QByteArray::number(s.dataNo));
    line("X DATA SIZE: " + QByteArray::number(s.traces));
    line("X SCALE : DISTANCE");
    line("Y SCALE : " + singleText(s.er));
    line("X SCALE ADJUST : " + QByteArray::number(distanceAdjust(s.pitchMm)));
    line("SCALE RANGE : " + QByteArray(Ranges[range]));
    line(QByteArray("SEARCH MODE : ") + (proc == 1 ? "INT" : "USER"));
    line("DIRE : " + QByteArray::number(s.direction));
    line("disp.color : " + QByteArray(Colours[colour / 2]));
    line(QByteArray("disp.direction : ") + (s.direction == 1 ? "normal" : "invert"));
    line(QByteArray("amplitude : ") + (colour % 2 == 1 ? "offset" : "abs"));
    line("X unit : " + encodeSystemText(s.xUnit));
    line("Y unit : " + encodeSystemText(s.yUnit));
    line("Gain : " + QByteArray(Gains[gain - 1]) + (s.gainMode != 0 ? "D" : "S"));
    line("PRCS : " + QByteArray(Procs[proc]));
    for (size_t i = 0; i < markers.size(); ++i) {
        const QByteArray n = QByteArray::number(static_cast<qulonglong>(i + 1));
        line("MarkX" + n + ":" + QByteArray::number(markers[i].position));
        line("MarkY" + n + ":" + QByteArray::number(markers[i].sample - 1));
    }
    line("END");
    return h;
}

// One record: the status byte, then 512 12-bit samples packed two in three bytes.
void appendRecord730(QByteArray& out, uint8_t status, const int16_t* x) {
    out += static_cast<char>(status);
    for (int g = 0; g < 256; ++g) {
        const auto a = static_cast<unsigned>(x[1 + 2 * g]) & 0xFFF;
        const auto b = static_cast<unsigned>(x[2 + 2 * g]) & 0xFFF;
        out += static_cast<char>(((a >> 8) << 4) | (b >> 8));
        out += static_cast<char>(a & 0xFF);
        out += static_cast<char>(b & 0xFF);
    }
}

} // namespace

bool writeBytes(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    f.write(bytes);
    if (!f.commit())
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    return true;
}

bool formatFromName(const QString& name, Format& format) {
    static const struct {
        const char* name;
        Format format;
    } names[] = {{"rdd", Format::Rdd},        {"zvx", Format::Zvx},    {"zvx3", Format::Zvx3},
                 {"vxd-b", Format::VxdB},     {"vxd-t", Format::VxdT}, {"txt", Format::Txt},
                 {"txt-hex", Format::TxtHex}, {"dzt", Format::Dzt}};
    for (const auto& n : names)
        if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0) {
            format = n.format;
            return true;
        }
    return false;
}

int16_t sample730(double amplitude) {
    const double v = std::clamp(2048.0 + roundHalfEven(amplitude * Scale730), 0.0, 4095.0);
    return static_cast<int16_t>(v);
}

int16_t sample940(double amplitude) {
    return static_cast<int16_t>(std::clamp(roundHalfEven(amplitude * Scale940), -32768.0, 32767.0));
}

int16_t sample940A(double amplitude) {
    return static_cast<int16_t>(
        std::clamp(roundHalfEven(amplitude * Scale940A), -32768.0, 32767.0));
}

std::vector<SceneMark940> marks940(const Scene& scene) {
    std::vector<SceneMark940> out;
    if (!scene.markBars)
        return out;
    const int groups = std::clamp(scene.markGroups, 1, 3);
    const std::vector<Scene::Apex> apexes = scene.apexes();
    for (size_t i = 0; i < apexes.size(); ++i) {
        SceneMark940 m;
        m.group = static_cast<int>(i % static_cast<size_t>(groups));
        m.mark = static_cast<int>(i / static_cast<size_t>(groups)) + 1;
        if (m.mark > MarksPerGroup940)
            break;
        m.x = apexes[i].position;
        m.y = static_cast<int32_t>(std::lround((apexes[i].exactSample - 1.0) / 2.0));
        out.push_back(m);
    }
    return out;
}

bool buildRecord(const Scene& scene, int32_t kind, MeasurementRecord& r, QString* error) {
    if (!validate(scene, error))
        return false;
    const bool ok = is940Kind(kind) ? buildRecord940(scene, kind, r) : buildRecord730(scene, r);
    return ok || fail(error, QStringLiteral("not enough memory for %1 traces").arg(scene.traces));
}

namespace {
// The program's own writer's result, its reason in error.
bool written(const WriteResult& res, QString* error) {
    return res.ok || fail(error, res.reason);
}
} // namespace

bool writeRdd(const Scene& scene, const QString& path, QString* error) {
    MeasurementRecord r;
    return buildRecord(scene, KindRdd, r, error) && written(WriteRdd(r, path), error);
}

bool writeZvx(const Scene& scene, const QString& path, int32_t kind, QString* error) {
    if (kind != KindZvx3 && kind != KindZvx4)
        return fail(error, QStringLiteral("a ZVX file is of kind 9 or 10"));
    MeasurementRecord r;
    return buildRecord(scene, kind, r, error) && written(WriteZvx(r, path), error);
}

bool writeVxd(const Scene& scene, const QString& path, bool binary, QString* error) {
    MeasurementRecord r;
    if (!buildRecord(scene, KindVxd, r, error))
        return false;
    const std::vector<SceneMark940> marks = marks940(scene);
    QByteArray out = vxdHeader(scene, marks);
    const int n = scene.traces;
    constexpr int R = Family940::RawLast;
    std::vector<int> order{0, -1, -3};
    if (binary) {
        out.reserve(out.size() + (n + 3) * 1538 + static_cast<qsizetype>(marks.size()) * 12);
        auto trace = [&](int t) {
            for (int j = 0; j <= R; ++j)
                appendBig16(out, r.Raw940(t, j));
        };
        for (int t : order)
            trace(t);
        for (int t = 1; t <= n; ++t)
            trace(t);
        for (const SceneMark940& m : marks) {
            appendBig32(out, m.identifier());
            appendBig32(out, m.x);
            appendBig32(out, m.y);
        }
    } else {
        auto trace = [&](int t) {
            const int32_t* x = r.Raw940.trace(t);
            for (int j = 0; j <= R; ++j) {
                out += QByteArray::number(x[j]);
                out += j < R ? "," : "\r\n";
            }
        };
        for (int t : order)
            trace(t);
        for (int t = 1; t <= n; ++t)
            trace(t);
        for (const SceneMark940& m : marks)
            out += QByteArray::number(m.identifier()) + ',' + QByteArray::number(m.x) + ',' +
                   QByteArray::number(m.y) + "\r\n";
    }
    return writeBytes(path, out, error);
}

bool writeText730(const Scene& scene, const QString& path, bool hex, QString* error) {
    if (scene.traces > 32767)
        return fail(error, QStringLiteral("text measurement data holds at most 32767 traces"));
    MeasurementRecord r;
    if (!buildRecord(scene, KindRdd, r, error))
        return false;
    std::vector<Scene::Apex> markers;
    if (scene.markBars)
        markers = scene.apexes();
    if (markers.size() > 43)
        markers.resize(43);
    const int n = scene.traces;
    QByteArray records;
    records.reserve((n + 2) * 769);
    appendRecord730(records, 255, r.Raw730.trace(0));
    appendRecord730(records, 64, r.Raw730.trace(-1));
    for (int t = 1; t <= n; ++t)
        appendRecord730(records, static_cast<uint8_t>(r.Raw730(t, 0)), r.Raw730.trace(t));

    QByteArray out = text730Header(scene, markers);
    if (!hex) {
        out += QByteArray(3, '\0'); // the gap between the header and the samples
        out += records;
    } else {
        static const char digits[] = "0123456789ABCDEF";
        out.reserve(out.size() + records.size() * 4);
        for (const char c : records) {
            const auto u = static_cast<uint8_t>(c);
            out += digits[u >> 4];
            out += digits[u & 15];
            out += "\r\n";
        }
    }
    return writeBytes(path, out, error);
}

bool writeScene(const Scene& scene, Format format, const QString& path, QString* error) {
    switch (format) {
    case Format::Rdd:
        return writeRdd(scene, path, error);
    case Format::Zvx:
        return writeZvx(scene, path, KindZvx4, error);
    case Format::Zvx3:
        return writeZvx(scene, path, KindZvx3, error);
    case Format::VxdB:
        return writeVxd(scene, path, true, error);
    case Format::VxdT:
        return writeVxd(scene, path, false, error);
    case Format::Txt:
        return writeText730(scene, path, false, error);
    case Format::TxtHex:
        return writeText730(scene, path, true, error);
    case Format::Dzt:
        return writeDzt(scene, DztOutput{}, path, error);
    }
    return fail(error, QStringLiteral("unknown format"));
}

} // namespace rebar::scangen
