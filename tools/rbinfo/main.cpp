// rbinfo: opens measurement files with the program's own type detection and readers and prints
// each record as the reader leaves it (no settings defaults applied), as JSON Lines; or opens
// one file as a measurement document and renders its whole radargram to a PNG.
#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "config/Settings.h"
#include "config/SystemPaths.h"
#include "data/DztImport.h"
#include "data/FileOpen.h"
#include "data/Markers.h"
#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"
#include "processing/BackCalculation.h"
#include "processing/Detection.h"
#include "view/CoverCompliance.h"
#include "view/CursorPosition.h"
#include "view/MeasurementDocument.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace rebar;

namespace {

const char* const Usage =
    "usage: rbinfo [--sample T:S]... [--detect start|end|fit]... [--group G]\n"
    "              [--backcalc ROW:DEPTH_MM]... [--channel N] [--pitch MM] FILE...\n"
    "       rbinfo --render OUT.png [--setting Key=Value]... FILE\n"
    "       rbinfo --compliance [--setting Key=Value]... FILE...\n"
    "       rbinfo --markers [--group G] [--setting Key=Value]... FILE...\n"
    "\n"
    "Reads each measurement file (RDD, VXD, ZVX, text measurement data, or a DZT file imported\n"
    "into a 730-family record) the way the program opens it and prints what the reader put\n"
    "into the record, before any settings defaults.\n"
    "\n"
    "Output is JSON Lines: one JSON object per file, one per line, in the order given.\n"
    "The keys are the record's field names (FilePath, FileName, FileKind, TraceCount,\n"
    "ColorCode, Saved, Markers730 or Marks940, Note, ...) plus \"ok\"; 940-family files add\n"
    "MaxTraces (the program-wide limit the reader set), ZVX files \"ZvxHeader\" (Identifier,\n"
    "Comment1..Comment4 decoded as UTF-8, MeasureDirection, Latitude, Longitude), DZT files\n"
    "\"import\" (the source file, channel, the file's samples, time window and scans per\n"
    "metre, the surface time and shift, cut or padding, gain and clipped samples, the\n"
    "permittivity taken, marks and warnings).\n"
    "A file that cannot be read gives {\"FilePath\", \"FileName\", \"FileKind\", \"ok\": false, "
    "\"LoadStage\",\n"
    "\"reason\"}.\n"
    "\n"
    "  --sample T:S   add to \"samples\" the value of trace T, sample S of every matrix of the\n"
    "                 file's family that holds it (Raw730 and Samples730, or Raw940, Raw940A,\n"
    "                 Samples940 and Samples940A); repeatable\n"
    "  --detect MODE  run a marker detection on the record as read and add to \"Detections\"\n"
    "                 what it writes: start and end are the automatic marker detection from\n"
    "                 the start or the end, fit the fitted detector. Each entry holds the mode,\n"
    "                 \"ok\", \"messageKey\", \"reason\" and the markers in the record's shape\n"
    "                 afterwards (\"Markers730\", or the group's \"Marks940\"); start and end\n"
    "                 add \"stepOk\" (the four steps), fit adds \"bars\" (X, Y, PositionMm,\n"
    "                 DepthMm, Confidence, Permittivity, PermittivitySigma, Points),\n"
    "                 \"Permittivity\" (the median of the confident fits, 0 for none) and\n"
    "                 \"PermittivitySetting\" (that value as a view takes it); repeatable\n"
    "  --group G      the 940 mark group the detections write (0..2, default 0)\n"
    "  --backcalc ROW:DEPTH_MM\n"
    "                 add to \"BackCalc\" the permittivity back-calculated for an echo at\n"
    "                 display row ROW (of the record's display range and magnification) whose\n"
    "                 true depth is DEPTH_MM: Row, DepthMm, Sample, Outcome (fits, nofit,\n"
    "                 error), Permittivity, MessageKey, Error; repeatable\n"
    "  --channel N    DZT files: import channel N (default 1)\n"
    "  --pitch MM     DZT files recorded by time: the distance between scans in mm\n"
    "\n"
    "Detections and back-calculations read the calibration tables of SystemData (beside the\n"
    "program, or REBAR_SYSTEMDATA).\n"
    "\n"
    "  --render OUT.png       open FILE as the program opens it (the display defaults of\n"
    "                         SystemData/Default.ini applied, processed and drawn) and write its\n"
    "                         whole radargram to OUT.png: every image column (one per trace, one\n"
    "                         per two traces in the wide ranges), the distance strip and the\n"
    "                         markers, as the view shows them scrolled across; prints the path\n"
    "  --setting Key=Value    with --render, --markers or --compliance: override a key of\n"
    "                         Default.ini (repeatable)\n"
    "\n"
    "  --markers              open each FILE as the program opens it and print its marker list\n"
    "                         and statistics as the view shows them: a line \"# FILE\", the\n"
    "                         list's header and marker lines, then the statistics labels row\n"
    "                         by row, separated by tabs (count; headings; average, minimum and\n"
    "                         maximum of depth and pitch) and the cover compliance lines;\n"
    "                         --group G lists 940 mark group G\n"
    "\n"
    "  --compliance           open each FILE as the program opens it and print the cover\n"
    "                         compliance of its listed markers as one JSON object per line:\n"
    "                         settings (FILE.cover.ini beside the file, or the [Compliance]\n"
    "                         defaults of Default.ini), each marker's cover and verdict, the\n"
    "                         statistics and the overall verdict\n"
    "\n"
    "Exit status: 0 when every file was read, 1 when any file failed, 2 for a usage error.\n";

// One JSON object written in field order.
class JsonObject {
public:
    JsonObject& key(const char* name) {
        m_out += m_first ? "{" : ",";
        m_first = false;
        m_out += '"';
        m_out += name;
        m_out += "\":";
        return *this;
    }
    JsonObject& str(const char* name, const QString& v) {
        key(name);
        appendString(v);
        return *this;
    }
    JsonObject& num(const char* name, long long v) {
        key(name);
        m_out += QByteArray::number(v);
        return *this;
    }
    JsonObject& real(const char* name, double v) {
        key(name);
        appendReal(v);
        return *this;
    }
    JsonObject& single(const char* name, float v) {
        key(name);
        appendReal(v);
        return *this;
    }
    JsonObject& boolean(const char* name, bool v) {
        key(name);
        m_out += v ? "true" : "false";
        return *this;
    }
    JsonObject& raw(const char* name, const QByteArray& json) {
        key(name);
        m_out += json;
        return *this;
    }
    QByteArray done() const { return m_first ? QByteArray("{}") : m_out + "}"; }

    // A text as a JSON string.
    static QByteArray quoted(const QString& s) {
        JsonObject o;
        o.appendString(s);
        return o.m_out;
    }

private:
    void appendString(const QString& s) {
        m_out += '"';
        for (const char c : s.toUtf8()) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                m_out += '\\';
                m_out += c;
            } else if (c == '\n') {
                m_out += "\\n";
            } else if (c == '\r') {
                m_out += "\\r";
            } else if (c == '\t') {
                m_out += "\\t";
            } else if (u < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", u);
                m_out += buf;
            } else {
                m_out += c;
            }
        }
        m_out += '"';
    }
    // Shortest text that reads back as the same value; null for what JSON cannot hold.
    template <typename T> void appendReal(T v) {
        if (!std::isfinite(v)) {
            m_out += "null";
            return;
        }
        char buf[64];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
        m_out += ec == std::errc() ? QByteArray(buf, end - buf) : QByteArray("null");
    }

    QByteArray m_out;
    bool m_first = true;
};

class JsonArray {
public:
    void add(const QByteArray& json) {
        m_out += m_out.isEmpty() ? "[" : ",";
        m_out += json;
    }
    QByteArray done() const { return m_out.isEmpty() ? QByteArray("[]") : m_out + "]"; }

private:
    QByteArray m_out;
};

struct SampleRequest {
    int trace = 0;
    int sample = 0;
};

// Text of a fixed header field up to its first NUL byte.
QByteArray fieldBytes(const ZvxHeader& h, int offset, int length) {
    const auto* p = reinterpret_cast<const char*>(h.Bytes.data() + offset);
    qsizetype n = 0;
    while (n < length && p[n] != '\0')
        ++n;
    return QByteArray(p, n);
}

template <typename T>
void addSample(JsonObject& o, const char* name, const Matrix<T>& m, const SampleRequest& q) {
    if (m.contains(q.trace, q.sample))
        o.num(name, m(q.trace, q.sample));
}

QByteArray samplesJson(const MeasurementRecord& r, const std::vector<SampleRequest>& requests) {
    JsonArray a;
    for (const SampleRequest& q : requests) {
        JsonObject o;
        o.num("trace", q.trace).num("sample", q.sample);
        if (r.is940()) {
            addSample(o, "Raw940", r.Raw940, q);
            addSample(o, "Raw940A", r.Raw940A, q);
            addSample(o, "Samples940", r.Samples940, q);
            addSample(o, "Samples940A", r.Samples940A, q);
        } else {
            addSample(o, "Raw730", r.Raw730, q);
            addSample(o, "Samples730", r.Samples730, q);
        }
        a.add(o.done());
    }
    return a.done();
}

QByteArray savedJson(const SavedSettings& s) {
    JsonObject o;
    o.single("Permittivity", s.Permittivity)
        .num("ColorCode", s.ColorCode)
        .num("Direction", s.Direction)
        .num("GainMode", s.GainMode)
        .num("Gain", s.Gain)
        .num("ViewRange", s.ViewRange)
        .num("ProcCode", s.ProcCode)
        .str("XUnit", s.XUnit)
        .str("YUnit", s.YUnit);
    return o.done();
}

// The markers of the record; for the 940 family those of every group, or of one group.
QByteArray markersJson(const MeasurementRecord& r, int onlyGroup = -1) {
    JsonArray a;
    if (r.is940()) {
        for (int g = 0; g < MarkGroups940; ++g) {
            if (onlyGroup >= 0 && g != onlyGroup)
                continue;
            ForEachMark940(r, g, [&](const MarkerEntry& m) {
                JsonObject o;
                o.num("Group", g)
                    .num("Slot", m.storage)
                    .num("InUse",
                         r.Marks940[static_cast<size_t>(g)][static_cast<size_t>(m.storage)].InUse)
                    .num("X", m.x)
                    .num("Y", m.y);
                a.add(o.done());
            });
        }
    } else {
        // Every entry, free ones too: the list keeps its free slots.
        for (const Marker730& m : r.Markers730) {
            JsonObject o;
            o.num("Position", m.Position).num("Sample", m.Sample);
            a.add(o.done());
        }
    }
    return a.done();
}

// The comments of a ZVX header are UTF-8, up to their first NUL byte.
QString commentText(const ZvxHeader& h, int offset, int length) {
    return QString::fromUtf8(fieldBytes(h, offset, length));
}

QByteArray zvxJson(const ZvxHeader& h) {
    JsonObject o;
    o.num("Identifier", h.get<int16_t>(ZvxHeader::OffIdentifier))
        .str("Comment1", commentText(h, ZvxHeader::OffComment1, ZvxHeader::LenComment1))
        .str("Comment2", commentText(h, ZvxHeader::OffComment2, ZvxHeader::LenComment2))
        .str("Comment3", commentText(h, ZvxHeader::OffComment3, ZvxHeader::LenComment3))
        .str("Comment4", commentText(h, ZvxHeader::OffComment4, ZvxHeader::LenComment4))
        .num("MeasureDirection", h.MeasureDirection())
        .str("Latitude",
             QString::fromLatin1(fieldBytes(h, ZvxHeader::OffLatitude, ZvxHeader::LenLatitude)))
        .str("Longitude",
             QString::fromLatin1(fieldBytes(h, ZvxHeader::OffLongitude, ZvxHeader::LenLongitude)));
    return o.done();
}

struct BackCalcRequest {
    int row = 0;
    double depthMm = 0;
};

// What the program-wide state gives detections and back-calculations.
struct Analyses {
    std::vector<DetectionMode> detections;
    int group = 0;
    std::vector<BackCalcRequest> backCalcs;
    const CalibrationTables* tables = nullptr;
    bool any() const { return !detections.empty() || !backCalcs.empty(); }
};

const char* modeName(DetectionMode m) {
    switch (m) {
    case DetectionMode::FromStart:
        return "start";
    case DetectionMode::FromEnd:
        return "end";
    case DetectionMode::Fitted:
        return "fit";
    }
    return "";
}

QByteArray fittedBarsJson(const FittedDetection& fit) {
    JsonArray a;
    for (const FittedBar& b : fit.bars) {
        JsonObject o;
        o.num("X", b.apex.x)
            .num("Y", b.apex.y)
            .real("PositionMm", b.positionMm)
            .real("DepthMm", b.depthMm)
            .real("Confidence", b.confidence)
            .real("Permittivity", b.permittivity)
            .real("PermittivitySigma", b.permittivitySigma)
            .num("Points", b.points);
        a.add(o.done());
    }
    return a.done();
}

// Each detection on its own copy of the markers as read.
QByteArray detectionsJson(const MeasurementRecord& r, const Analyses& an) {
    JsonArray a;
    for (const DetectionMode mode : an.detections) {
        const DetectionRun run = RunDetection(r, *an.tables, mode, an.group);
        MeasurementRecord after;
        after.FileKind = r.FileKind;
        after.Markers730 = r.Markers730;
        after.Marks940 = r.Marks940;
        ApplyDetection(after, run);
        JsonObject o;
        o.str("mode", QString::fromLatin1(modeName(mode)))
            .boolean("ok", run.ok)
            .num("messageKey", run.messageKey)
            .str("reason", run.reason)
            .raw(r.is940() ? "Marks940" : "Markers730", markersJson(after, an.group));
        if (mode == DetectionMode::Fitted) {
            o.raw("bars", fittedBarsJson(run.fit))
                .real("Permittivity", run.fit.permittivity)
                .real("PermittivitySetting", run.fit.permittivitySetting);
        } else {
            JsonArray steps;
            for (bool ok : run.stepOk)
                steps.add(ok ? "true" : "false");
            o.raw("stepOk", steps.done());
        }
        a.add(o.done());
    }
    return a.done();
}

QByteArray backCalcJson(const MeasurementRecord& r, const Analyses& an) {
    JsonArray a;
    for (const BackCalcRequest& q : an.backCalcs) {
        const int sample = RowToSample(r, q.row);
        const BackCalculation b = BackCalculatePermittivity(r, *an.tables, q.depthMm, sample);
        static const char* const outcomes[] = {"fits", "nofit", "error"};
        JsonObject o;
        o.num("Row", q.row)
            .real("DepthMm", q.depthMm)
            .num("Sample", sample)
            .str("Outcome", QString::fromLatin1(outcomes[b.outcome]))
            .single("Permittivity", b.permittivity)
            .num("MessageKey", b.messageKey)
            .str("Error", b.error);
        a.add(o.done());
    }
    return a.done();
}

QByteArray importJson(const DztImportFigures& f) {
    JsonArray marks;
    for (size_t i = 0; i < f.marks.size(); ++i) {
        JsonObject m;
        m.num("scan", f.marks[i].scan).num("code", f.marks[i].code).num("trace", f.markTraces[i]);
        marks.add(m.done());
    }
    JsonArray warnings;
    for (const QString& w : f.warnings)
        warnings.add(JsonObject::quoted(w));
    JsonObject o;
    o.str("file", f.source)
        .num("channel", f.channel)
        .num("channels", f.channels)
        .str("antenna", f.antenna)
        .num("bits", f.bits)
        .num("samples", f.samples)
        .real("rangeNs", f.rangeNs)
        .real("positionNs", f.positionNs)
        .real("scansPerMetre", f.scansPerMetre)
        .real("scansPerSecond", f.scansPerSecond)
        .num("scans", f.scans)
        .real("pitchMm", f.pitchMm)
        .num("traces", f.traces)
        .boolean("surfaceFound", f.surfaceFound)
        .real("surfaceNs", f.surfaceNs)
        .real("timeShiftNs", f.timeShiftNs)
        .real("afterSurfaceNs", f.afterSurfaceNs)
        .boolean("cut", f.cut)
        .boolean("padded", f.padded)
        .boolean("paddedBefore", f.paddedBefore)
        .real("gain", f.gain)
        .num("clippedSamples", f.clipped)
        .num("mappedSamples", f.mapped)
        .single("filePermittivity", f.filePermittivity)
        .boolean("permittivityFromFile", f.permittivityFromFile)
        .str("created", f.created.isValid() ? f.created.toString(Qt::ISODate) : QString())
        .boolean("marksKnown", f.marksKnown)
        .raw("marks", marks.done())
        .raw("warnings", warnings.done());
    return o.done();
}

QByteArray recordJson(const MeasurementRecord& r, int16_t maxTraces,
                      const std::vector<SampleRequest>& requests, const Analyses& an,
                      const DztImportFigures* imported) {
    JsonObject o;
    o.str("FilePath", r.FilePath)
        .str("FileName", r.FileName)
        .num("FileKind", r.FileKind)
        .boolean("ok", true)
        .str("SerialNo", r.SerialNo)
        .str("MeasureDate", r.MeasureDate)
        .str("MeasureTime", r.MeasureTime)
        .num("DataNo", r.DataNo)
        .num("TraceCount", r.TraceCount)
        .num("XDataSize", r.XDataSize)
        .num("YDataSize", r.YDataSize)
        .num("XScale", r.XScale)
        .num("PermittivityPreset", r.PermittivityPreset)
        .num("XAdjust", r.XAdjust)
        .num("Handle", r.Handle)
        .num("Direction", r.Direction)
        .real("Permittivity", r.Permittivity)
        .num("ColorCode", r.ColorCode)
        .num("ProcessingLine", r.ProcessingLine)
        .num("ProcCode", r.ProcCode)
        .num("Gain", r.Gain)
        .num("GainMode", r.GainMode)
        .num("PrcsAsMS", r.PrcsAsMS)
        .num("PeakFlag", r.PeakFlag)
        .num("TireOption", r.TireOption)
        .str("Note", r.Note)
        .num("ViewRange", r.ViewRange)
        .single("XPitch", r.XPitch)
        .num("CoverMagnification", r.CoverMagnification)
        .str("XUnit", r.XUnit)
        .str("YUnit", r.YUnit)
        .num("MarkCount", r.MarkCount)
        .num("SpeedOption", r.SpeedOption)
        .raw("Saved", savedJson(r.Saved))
        .raw(r.is940() ? "Marks940" : "Markers730", markersJson(r));
    // The header image of a ZVX file; a VXD record has none until it is saved.
    if (r.FileKind == KindZvx3 || r.FileKind == KindZvx4)
        o.raw("ZvxHeader", zvxJson(r.Zvx));
    if (r.is940())
        o.num("MaxTraces", maxTraces);
    o.str("LoadStage", r.LoadStage);
    if (imported)
        o.raw("import", importJson(*imported));
    if (!requests.empty())
        o.raw("samples", samplesJson(r, requests));
    if (!an.detections.empty())
        o.raw("Detections", detectionsJson(r, an));
    if (!an.backCalcs.empty())
        o.raw("BackCalc", backCalcJson(r, an));
    return o.done();
}

QByteArray failureJson(const MeasurementRecord& r, const QString& reason) {
    JsonObject o;
    o.str("FilePath", r.FilePath)
        .str("FileName", r.FileName)
        .num("FileKind", r.FileKind)
        .boolean("ok", false)
        .str("LoadStage", r.LoadStage)
        .str("reason", reason);
    return o.done();
}

// Reads one file as every open does, up to and including the reader.
bool describe(const QString& path, const std::vector<SampleRequest>& requests, const Analyses& an,
              const DztImportOptions& dzt, QByteArray& out) {
    MeasurementRecord r;
    int16_t maxTraces = 6000;
    DztImportFigures figures;
    ReadContext ctx;
    ctx.MaxTraces = &maxTraces;
    ctx.dztOptions = &dzt;
    ctx.dztFigures = &figures;
    const bool imported = IsDztPath(path);
    const OpenResult res = ReadMeasurementPath(r, path, ctx);
    if (!res) {
        out = failureJson(r, imported && figures.scans > 0 && figures.scansPerMetre == 0 &&
                                     dzt.pitchMm == 0
                                 ? res.reason + QStringLiteral(" (--pitch MM)")
                                 : res.reason);
        return false;
    }
    out = recordJson(r, maxTraces, requests, an, imported ? &figures : nullptr);
    return true;
}

// "Key=Value" overrides of Default.ini keys, in order.
bool applyOverrides(Settings& s, const QStringList& overrides, QString* error) {
    for (const QString& o : overrides) {
        const qsizetype eq = o.indexOf(QLatin1Char('='));
        if (!ApplySetting(s, o.left(eq).trimmed(), eq < 0 ? QString() : o.mid(eq + 1).trimmed(),
                          error))
            return false;
    }
    return true;
}

// The settings (with overrides), language and tables of SystemData, as the program reads them.
struct ProgramState {
    Settings settings;
    LanguageTables language;
    CalibrationTables tables;

    bool read(const QStringList& overrides) {
        QString error;
        std::vector<IgnoredSetting> ignored;
        if (!ReadSettings(settings, settingsFilePath(), &ignored, &error) ||
            !applyOverrides(settings, overrides, &error) ||
            !ReadLanguage(language, languageFilePath(settings.Language), &error) ||
            !LoadCalibrationTables(tables, systemDataDir(), &error)) {
            std::fprintf(stderr, "rbinfo: %s\n", error.toUtf8().constData());
            return false;
        }
        if (!ignored.empty())
            std::fprintf(
                stderr, "rbinfo: %s\n",
                IgnoredSettingsMessage(ignored, QStringLiteral("EN")).toUtf8().constData());
        return true;
    }
    DocumentContext context() const {
        DocumentContext ctx;
        ctx.settings = &settings;
        ctx.language = &language;
        ctx.tables = &tables;
        return ctx;
    }
};

// Opens path as a measurement document; tells why on standard error when it cannot.
bool openDocument(MeasurementDocument& doc, const QString& path, const ProgramState& program) {
    const OpenResult opened = doc.Open(path, program.context());
    if (!opened)
        std::fprintf(stderr, "rbinfo: %s: %s%s%s\n", path.toUtf8().constData(),
                     opened.stage.trimmed().toUtf8().constData(), opened.stage.isEmpty() ? "" : " ",
                     opened.reason.toUtf8().constData());
    return opened.ok;
}

// Opens path as a measurement document with the settings, language and tables of SystemData and
// writes its radargram to out.
int render(const QString& out, const QStringList& overrides, const QString& path) {
    ProgramState program;
    if (!program.read(overrides))
        return 2;
    MeasurementDocument doc;
    if (!openDocument(doc, path, program))
        return 1;
    const QImage picture = doc.RadargramImage();
    const QString file = QFileInfo(out).absoluteFilePath();
    if (picture.isNull() || !picture.save(file, "PNG")) {
        std::fprintf(stderr, "rbinfo: cannot write %s\n", file.toUtf8().constData());
        return 1;
    }
    std::printf("%s\n", QDir::toNativeSeparators(file).toUtf8().constData());
    return 0;
}

// Opens each file as the program does and prints the cover compliance of its listed markers
// (the settings of its sidecar, or the defaults of Default.ini) as one JSON object per line.
int compliance(const QStringList& overrides, const QStringList& files) {
    ProgramState program;
    if (!program.read(overrides))
        return 2;
    int status = 0;
    for (const QString& path : files) {
        MeasurementDocument doc;
        if (!openDocument(doc, path, program)) {
            status = 1;
            continue;
        }
        if (doc.record().Permittivity <= 0) {
            std::fprintf(stderr,
                         "rbinfo: %s: the scan is shown on the time axis; covers need a "
                         "permittivity (--setting RelativePermittivitySetting730=1 or 940=1)\n",
                         path.toUtf8().constData());
            status = 1;
            continue;
        }
        // The document took its settings from the sidecar (or noted why not) as it opened.
        const std::vector<MarkerCover> covers = MarkerCoversOf(doc.record(), program.tables);
        QJsonObject o = QJsonDocument::fromJson(ComplianceJson(covers, doc.compliance())).object();
        o.insert(QStringLiteral("file"), path);
        o.insert(QStringLiteral("sidecar"), doc.complianceFromSidecar());
        std::printf("%s\n", QJsonDocument(o).toJson(QJsonDocument::Compact).constData());
    }
    return status;
}

// The marker list and statistics of each file as the view shows them.
int printMarkerLists(const QStringList& files, const QStringList& overrides, int group) {
    ProgramState program;
    if (!program.read(overrides))
        return 2;
    const auto& C = program.language.Captions;
    int status = 0;
    for (const QString& path : files) {
        MeasurementDocument doc;
        if (!openDocument(doc, path, program)) {
            status = 1;
            continue;
        }
        if (group != 0 && doc.record().is940())
            doc.MarkerGroupCommand(group);
        const MarkerListContent& list = doc.markerList();
        QStringList out{QStringLiteral("# ") + path, list.header};
        for (const MarkerListLine& line : list.lines)
            out << line.text;
        // The statistics labels in the rows the view shows them in.
        auto label = [&list](size_t i) { return list.labelSet[i] ? list.labels[i] : QString(); };
        const QChar tab(QLatin1Char('\t'));
        out << C[109] + tab + label(10);
        out << tab + label(12) + tab + label(13);
        for (size_t row = 0; row < 3; ++row)
            out << C[106 + row] + tab + label(4 + row) + tab + label(7 + row);
        out << list.complianceLines; // the cover compliance lines below the statistics
        const QByteArray text = (out.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    }
    std::fflush(stdout);
    return status;
}

bool parseSample(const QString& text, SampleRequest& q) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return false;
    bool a = false, b = false;
    q.trace = parts[0].toInt(&a);
    q.sample = parts[1].toInt(&b);
    return a && b;
}

bool parseBackCalc(const QString& text, BackCalcRequest& q) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return false;
    bool a = false, b = false;
    q.row = parts[0].toInt(&a);
    q.depthMm = parts[1].toDouble(&b);
    return a && b;
}

bool parseMode(const QString& text, DetectionMode& m) {
    if (text == QLatin1String("start"))
        m = DetectionMode::FromStart;
    else if (text == QLatin1String("end"))
        m = DetectionMode::FromEnd;
    else if (text == QLatin1String("fit"))
        m = DetectionMode::Fitted;
    else
        return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<SampleRequest> requests;
    Analyses analyses;
    DztImportOptions dzt;
    QStringList files;
    QString renderTo;
    QStringList overrides;
    bool coverCompliance = false;
    bool markers = false;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == QLatin1String("--render") || a == QLatin1String("--setting")) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "rbinfo: %s needs a value\n\n%s", argv[i], Usage);
                return 2;
            }
            const QString value = QString::fromLocal8Bit(argv[++i]);
            if (a == QLatin1String("--render"))
                renderTo = value;
            else
                overrides << value;
            continue;
        }
        if (a == QLatin1String("--compliance")) {
            coverCompliance = true;
            continue;
        }
        if (a == QLatin1String("--markers")) {
            markers = true;
            continue;
        }
        if (a == QLatin1String("--sample")) {
            SampleRequest q;
            if (i + 1 >= argc || !parseSample(QString::fromLocal8Bit(argv[++i]), q)) {
                std::fprintf(stderr, "rbinfo: --sample needs TRACE:SAMPLE\n\n%s", Usage);
                return 2;
            }
            requests.push_back(q);
            continue;
        }
        if (a == QLatin1String("--detect")) {
            DetectionMode m{};
            if (i + 1 >= argc || !parseMode(QString::fromLocal8Bit(argv[++i]), m)) {
                std::fprintf(stderr, "rbinfo: --detect needs start, end or fit\n\n%s", Usage);
                return 2;
            }
            analyses.detections.push_back(m);
            continue;
        }
        if (a == QLatin1String("--group")) {
            bool ok = false;
            if (i + 1 < argc)
                analyses.group = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || analyses.group < 0 || analyses.group >= MarkGroups940) {
                std::fprintf(stderr, "rbinfo: --group needs 0, 1 or 2\n\n%s", Usage);
                return 2;
            }
            continue;
        }
        if (a == QLatin1String("--backcalc")) {
            BackCalcRequest q;
            if (i + 1 >= argc || !parseBackCalc(QString::fromLocal8Bit(argv[++i]), q)) {
                std::fprintf(stderr, "rbinfo: --backcalc needs ROW:DEPTH_MM\n\n%s", Usage);
                return 2;
            }
            analyses.backCalcs.push_back(q);
            continue;
        }
        if (a == QLatin1String("--channel") || a == QLatin1String("--pitch")) {
            const QString v = i + 1 < argc ? QString::fromLocal8Bit(argv[i + 1]) : QString();
            bool ok = false;
            if (a == QLatin1String("--channel")) {
                dzt.channel = v.toInt(&ok);
                ok = ok && dzt.channel >= 1;
            } else {
                dzt.pitchMm = v.toDouble(&ok);
                ok = ok && dzt.pitchMm > 0;
            }
            if (!ok) {
                std::fprintf(stderr, "rbinfo: %s needs a positive number\n\n%s", argv[i], Usage);
                return 2;
            }
            ++i;
            continue;
        }
        if (a.startsWith(QLatin1String("--"))) {
            std::fprintf(stderr, "rbinfo: unknown option %s\n\n%s", argv[i], Usage);
            return 2;
        }
        files << a;
    }
    if (files.isEmpty()) {
        std::fputs(Usage, stderr);
        return 2;
    }
    if (coverCompliance) {
        if (!renderTo.isEmpty() || !requests.empty() || analyses.any()) {
            std::fprintf(stderr, "rbinfo: --compliance goes with --setting only\n\n%s", Usage);
            return 2;
        }
        // Opening a document draws its pictures, whose text needs a GUI application.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return compliance(overrides, files);
    }
    if (markers) {
        if (!renderTo.isEmpty() || !requests.empty() || analyses.any()) {
            std::fprintf(stderr, "rbinfo: --markers goes with --group and --setting only\n\n%s",
                         Usage);
            return 2;
        }
        // The list's captions and figures need no display, but its fonts a GUI application.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return printMarkerLists(files, overrides, analyses.group);
    }
    if (!renderTo.isEmpty() || !overrides.isEmpty()) {
        if (renderTo.isEmpty() || files.size() != 1 || !requests.empty() || analyses.any()) {
            std::fprintf(stderr, "rbinfo: --render takes one FILE; --setting goes with it\n\n%s",
                         Usage);
            return 2;
        }
        // Text on the pictures needs fonts, which need a GUI application (no display).
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return render(renderTo, overrides, files.first());
    }

    QCoreApplication app(argc, argv); // SystemData lies beside the program
    CalibrationTables tables;
    if (analyses.any()) {
        QString error;
        if (!LoadCalibrationTables(tables, systemDataDir(), &error)) {
            std::fprintf(stderr, "rbinfo: cannot read the calibration tables: %s\n",
                         qPrintable(error));
            return 1;
        }
    }
    analyses.tables = &tables;

    int status = 0;
    for (const QString& path : files) {
        QByteArray line;
        if (!describe(path, requests, analyses, dzt, line))
            status = 1;
        line += '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
        std::fflush(stdout);
    }
    return status;
}
