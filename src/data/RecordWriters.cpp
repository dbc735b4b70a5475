#include "data/RecordWriters.h"

#include "base/DateText.h"
#include "base/FileSave.h"
#include "base/Numeric.h"
#include "base/TextEncoding.h"
#include "data/HeldTraces.h"
#include "data/Markers.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace rebar {

namespace {

WriteResult fail(const QString& why) {
    return WriteResult::failure(why);
}

WriteResult doesNotFit(const char* field, long long value, long long lo, long long hi) {
    return fail(QStringLiteral("%1 %2 does not fit the file's field (%3..%4)")
                    .arg(QLatin1String(field))
                    .arg(value)
                    .arg(lo)
                    .arg(hi));
}

class HeaderLines {
public:
    void text(const char* key, const QString& value) {
        QByteArray v = encodeHeaderText(value);
        // A double quote would end the field early and make the file unreadable.
        v.replace('"', '\'');
        m_out += '"' + QByteArray(key) + "\",\"" + v + "\"\r\n";
    }
    void number(const char* key, const QByteArray& value) {
        m_out += '"' + QByteArray(key) + "\"," + value + "\r\n";
    }
    void number(const char* key, long long value) { number(key, QByteArray::number(value)); }
    void pair(long long a, long long b) {
        m_out += QByteArray::number(a) + ',' + QByteArray::number(b) + "\r\n";
    }
    QByteArray bytes() const { return m_out; }

private:
    QByteArray m_out;
};

// A single-precision value as the shortest text that reads back to the same float.
QByteArray singleText(float v) {
    for (int digits = 1; digits <= 9; ++digits) {
        const QByteArray t = QByteArray::number(static_cast<double>(v), 'g', digits);
        if (static_cast<float>(t.toDouble()) == v)
            return t;
    }
    return QByteArray::number(static_cast<double>(v), 'g', 9);
}

// The file is written whole or not at all; a failure carries the system's reason.
WriteResult saveBytes(const QString& path, std::initializer_list<QByteArrayView> parts) {
    const FileSaveOutcome out = SaveFileBytes(path, std::span(parts.begin(), parts.size()));
    if (!out.ok)
        return WriteResult::systemFailure(path, out.reason);
    return WriteResult::success();
}

// The header fields of the RDD format that hold 16 bits but live in wider record members.
WriteResult checkRddFields(const MeasurementRecord& r) {
    const std::pair<const char*, int32_t> fields[] = {
        {"XScale", r.XScale},
        {"XAdjust", r.XAdjust},
        {"PermittivityPreset", r.PermittivityPreset},
    };
    for (const auto& [name, value] : fields)
        if (!fitsIn<int16_t>(value))
            return doesNotFit(name, value, INT16_MIN, INT16_MAX);
    return WriteResult::success();
}

// The header image of a ZVX file built from the record. Every value is checked against the
// width of its field; the first that does not fit fails the save with the field's name.
class ZvxHeaderWriter {
public:
    explicit ZvxHeaderWriter(ZvxHeader& h) : m_h(h) {}

    void byte(int off, const char* field, long long v) {
        if (fits(field, v, 0, UINT8_MAX))
            m_h.Bytes[static_cast<size_t>(off)] = static_cast<uint8_t>(v);
    }
    void int16(int off, const char* field, long long v) {
        if (fits(field, v, INT16_MIN, INT16_MAX))
            m_h.put<int16_t>(off, static_cast<int16_t>(v));
    }
    void int32(int off, const char* field, long long v) {
        if (fits(field, v, INT32_MIN, INT32_MAX))
            m_h.put<int32_t>(off, static_cast<int32_t>(v));
    }
    const WriteResult& result() const { return m_result; }

private:
    bool fits(const char* field, long long v, long long lo, long long hi) {
        if (v >= lo && v <= hi)
            return true;
        if (m_result)
            m_result = doesNotFit(field, v, lo, hi);
        return false;
    }
    ZvxHeader& m_h;
    WriteResult m_result = WriteResult::success();
};

// The record part of the header: what a record read from a VXD file brings.
void putRecordPart(const MeasurementRecord& r, ZvxHeader& h, ZvxHeaderWriter& w) {
    w.int32(ZvxHeader::OffStoredTraces, "XDataSize", r.XDataSize);
    for (int i = 0; i < 3; ++i)
        h.Bytes[static_cast<size_t>(ZvxHeader::OffFirstSaveBytes + i)] = 0;
    h.putPadded(ZvxHeader::OffSerialNo, ZvxHeader::LenSerialNo, encodeSystemText(r.SerialNo));
    h.putPadded(ZvxHeader::OffMeasureDate, ZvxHeader::LenMeasureDate,
                encodeSystemText(r.MeasureDate));
    w.int32(ZvxHeader::OffDataNo, "DataNo", r.DataNo);
    w.int16(ZvxHeader::OffYDataSize, "YDataSize", r.YDataSize);
    w.byte(ZvxHeader::OffXScale, "XScale", r.XScale);
    w.int16(ZvxHeader::OffXAdjust, "XAdjust", r.XAdjust);
    w.byte(ZvxHeader::OffPrcsAsMS, "PrcsAsMS", r.PrcsAsMS);
    w.int32(ZvxHeader::OffProcessingLine, "ProcessingLine", FileTraceNumber(r, r.ProcessingLine));
    w.byte(ZvxHeader::OffPeak, "PeakFlag", r.PeakFlag);
    w.byte(ZvxHeader::OffHandle, "Handle", r.Handle);
    h.put<float>(ZvxHeader::OffXPitch, r.XPitch);
    // A tyre option the reader would refuse is stored as "no tyre", so that such a record
    // can still be kept as ZVX.
    const bool tyreKnown = r.TireOption >= 0 && r.TireOption <= 2;
    h.Bytes[ZvxHeader::OffTireOption] = static_cast<uint8_t>(tyreKnown ? r.TireOption : 0);
}

// The display part of the header, from the saved settings.
void putDisplayPart(const MeasurementRecord& r, ZvxHeader& h, ZvxHeaderWriter& w) {
    // The permittivity is kept to one decimal.
    const float perm =
        static_cast<float>(roundHalfEven(static_cast<double>(r.Saved.Permittivity) * 10.0) / 10.0);
    h.put<float>(ZvxHeader::OffPermittivity, perm);
    w.byte(ZvxHeader::OffGainBand, "GainMode", r.Saved.GainMode);
    w.byte(ZvxHeader::OffGainStep, "Gain - 1", r.Saved.Gain - 1);
    w.byte(ZvxHeader::OffViewRange, "ViewRange", r.Saved.ViewRange);
    if (const int c = ZvxCodes::fileCodeOfProc(r.Saved.ProcCode); c >= 0)
        h.Bytes[ZvxHeader::OffProcCode] = static_cast<uint8_t>(c);
    if (const int c = ZvxCodes::fileCodeOfColor(r.Saved.ColorCode); c >= 0)
        h.Bytes[ZvxHeader::OffColorCode] = static_cast<uint8_t>(c);
    w.byte(ZvxHeader::OffDirection, "Direction", r.Saved.Direction);
    if (const int c = ZvxCodes::unitCodeOf(r.Saved.XUnit); c >= 0)
        h.Bytes[ZvxHeader::OffXUnit] = static_cast<uint8_t>(c);
    if (const int c = ZvxCodes::unitCodeOf(r.Saved.YUnit); c >= 0)
        h.Bytes[ZvxHeader::OffYUnit] = static_cast<uint8_t>(c);
}

void putMarkSlots(const MeasurementRecord& r, ZvxHeader& h, ZvxHeaderWriter& w) {
    for (int g = 0; g < MarkGroups940; ++g) {
        for (int i = 1; i <= MarksPerGroup940; ++i) {
            const Mark940& m = r.Marks940[static_cast<size_t>(g)][static_cast<size_t>(i)];
            const int off = ZvxHeader::OffMarkSlots + MarkSlotOf(g, i) * ZvxHeader::MarkSlotSize;
            const bool used = IsUsed(m);
            // The file counts its traces from its first one, also where the record holds
            // only the last of them.
            w.int32(off, "Marks940 X", used ? FileTraceNumber(r, m.X) : 0);
            w.int16(off + 4, "Marks940 Y", used ? m.Y : 0);
            h.Bytes[static_cast<size_t>(off + 6)] = 0;
        }
    }
}

// The header lines of an RDD file, the measurement date given.
QByteArray rddHeaderBytes(const MeasurementRecord& r, const QDate& date) {
    HeaderLines h;
    h.text("VER", QStringLiteral("730"));
    // The note keeps its line breaks inside the quotes.
    h.text("NOTE", r.Note);
    // The date in one fixed form, so that the file reads the same on every computer.
    h.text("DATE", date.toString(QStringLiteral("yyyy/MM/dd")));
    h.text("TIME", r.MeasureTime);
    h.number("DATA", r.DataNo);
    h.number("LC", r.TraceCount);
    h.number("XSCA", r.XScale);
    h.number("XADJ", r.XAdjust);
    h.number("GAIN", r.Saved.Gain);
    h.number("AF", r.Saved.GainMode);
    h.number("DEPTH", r.PermittivityPreset);
    h.number("E", singleText(r.Saved.Permittivity));
    h.number("COLOR", r.Saved.ColorCode);
    h.number("DIR", r.Saved.Direction);
    h.number("RANGE", r.Saved.ViewRange);
    h.text("SEARCH", r.Saved.ProcCode == 5 ? QStringLiteral("USER") : QStringLiteral("INT"));
    h.number("PROC", r.Saved.ProcCode);
    h.number("PEAK", r.PeakFlag);
    h.number("REF", r.ProcessingLine);
    h.text("XUNIT", r.Saved.XUnit);
    h.text("YUNIT", r.Saved.YUnit);
    // A list that was never created is written as one free entry.
    if (r.Markers730.empty()) {
        h.number("MARKER", 0);
        h.pair(0, -1);
    } else {
        h.number("MARKER", static_cast<long long>(r.Markers730.size()) - 1);
        for (const Marker730& m : r.Markers730)
            h.pair(m.Position, static_cast<long long>(m.Sample) - 1);
    }
    h.text("MAINDATA", QString());
    return h.bytes();
}

} // namespace

WriteResult WriteRdd(MeasurementRecord& r, const QString& path) {
    if (path.isEmpty())
        return fail(QStringLiteral("no file name"));
    if (r.Raw730.empty() || r.Raw730.firstTrace() != -1 || r.Raw730.lastTrace() != r.TraceCount ||
        r.Raw730.lastSample() != 512)
        return fail(QStringLiteral("the record holds no 730 samples"));
    const QDate date = ParseDateText(r.MeasureDate);
    if (!date.isValid())
        return WriteResult::failure(
            FailureKind::BadDate,
            QStringLiteral("the measurement date \"%1\" is not a date").arg(r.MeasureDate),
            r.MeasureDate);
    if (WriteResult res = checkRddFields(r); !res)
        return res;
    const QByteArray header = rddHeaderBytes(r, date);
    // Samples of traces -1, 0, 1..N, 513 little-endian words each: the matrix as it lies.
    const qint64 bytes = static_cast<qint64>(r.TraceCount + 2) * 513 * 2;
    const QByteArrayView samples(reinterpret_cast<const char*>(r.Raw730.trace(-1)), bytes);
    if (WriteResult res = saveBytes(path, {header, samples}); !res)
        return res;
    r.FileKind = KindRdd;
    return WriteResult::success();
}

WriteResult WriteZvx(MeasurementRecord& r, const QString& path) {
    if (path.isEmpty())
        return fail(QStringLiteral("no file name"));
    const int N = r.TraceCount;
    if (r.Raw940.empty() || r.Raw940.firstTrace() != -3 || r.Raw940.lastTrace() != N ||
        r.Raw940.lastSample() != 768)
        return fail(QStringLiteral("the record holds no 940 samples"));
    ZvxHeader h = r.Zvx;
    ZvxHeaderWriter fields(h);
    if (r.FileKind == KindZvx4) {
        h.put<int16_t>(ZvxHeader::OffIdentifier, -4);
    } else {
        h.put<int16_t>(ZvxHeader::OffIdentifier, -3);
        putRecordPart(r, h, fields);
    }
    putDisplayPart(r, h, fields);
    putMarkSlots(r, h, fields);
    if (!fields.result())
        return fields.result();

    // The file: header, then the trace records. The first record starts inside the header's
    // reserved tail; the trace data wins there, and its words 1..768 are 0 like those of every
    // special trace.
    constexpr int Words = 1537;
    const qint64 size = 12294 + static_cast<qint64>(N) * Words * 2;
    std::vector<int16_t> out(static_cast<size_t>(size / 2), 0);
    auto* bytes = reinterpret_cast<uint8_t*>(out.data());
    std::memcpy(bytes, h.Bytes.data(), 3072);
    const bool withSecond = r.FileKind == KindZvx4;
    int badTrace = 0;
    int32_t badValue = 0;
    auto put16 = [&](int32_t v, uint8_t* at, int trace) {
        int16_t w = 0;
        if (!narrow(v, w) && badTrace == 0) {
            badTrace = trace == 0 ? INT_MIN : trace;
            badValue = v;
        }
        std::memcpy(at, &w, 2);
    };
    auto record = [&](int trace, qint64 offset, bool second) {
        uint8_t* rec = bytes + offset;
        const int32_t* x = r.Raw940.trace(trace);
        put16(x[0], rec, trace);
        if (second && r.Raw940A.hasTrace(trace)) {
            const int32_t* xa = r.Raw940A.trace(trace);
            for (int v = 1; v <= 768; ++v)
                put16(xa[v], rec + 2 * v, trace);
        }
        for (int v = 1; v <= 768; ++v)
            put16(x[v], rec + 2 * (768 + v), trace);
    };
    record(0, 3072, false);
    record(-1, 6146, false);
    record(-3, 9220, false);
    for (int k = 1; k <= N; ++k)
        record(k, 12294 + static_cast<qint64>(k - 1) * Words * 2, withSecond);
    if (badTrace != 0)
        return fail(QStringLiteral("trace %1: sample %2 does not fit 16 bits")
                        .arg(badTrace == INT_MIN ? 0 : badTrace)
                        .arg(badValue));

    if (WriteResult res =
            saveBytes(path, {QByteArrayView(reinterpret_cast<const char*>(bytes), size)});
        !res)
        return res;
    r.Zvx = h;
    // Bytes 3072.. of the stored header are the first bytes of the trace-0 record.
    std::memcpy(r.Zvx.Bytes.data() + 3072, bytes + 3072, ZvxHeader::Size - 3072);
    if (r.FileKind == KindVxd)
        r.FileKind = KindZvx3;
    return WriteResult::success();
}

} // namespace rebar
