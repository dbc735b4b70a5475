#include "data/RecordWriters.h"

#include "base/Numeric.h"
#include "base/TextEncoding.h"

#include <QFile>
#include <QSaveFile>
#include <cmath>
#include <cstring>
#include <vector>

namespace rebar {

namespace {

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

class HeaderLines {
public:
    void text(const char* key, const QString& value) {
        QByteArray v = encodeSystemText(value);
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

bool commit(QSaveFile& f, const QString& path, QString* error) {
    if (!f.commit())
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    return true;
}

} // namespace

QByteArray RddHeaderBytes(const MeasurementRecord& r) {
    HeaderLines h;
    h.text("VER", QStringLiteral("730"));
    // Line breaks of the note are stored as "@@", which the reader turns back into breaks.
    QString note = r.Note;
    note.replace(QStringLiteral("\r\n"), QStringLiteral("@@"));
    h.text("NOTE", note);
    h.text("DATE", r.MeasureDate);
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

bool WriteRdd(MeasurementRecord& r, const QString& path, QString* error) {
    if (path.isEmpty())
        return fail(error, QStringLiteral("no file name"));
    if (r.Raw730.empty() || r.Raw730.firstTrace() != -1 || r.Raw730.lastTrace() != r.TraceCount ||
        r.Raw730.lastSample() != 512)
        return fail(error, QStringLiteral("the record holds no 730 samples"));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    const QByteArray header = RddHeaderBytes(r);
    f.write(header);
    // Samples of traces -1, 0, 1..N, 513 little-endian words each: the matrix as it lies.
    const qint64 bytes = static_cast<qint64>(r.TraceCount + 2) * 513 * 2;
    f.write(reinterpret_cast<const char*>(r.Raw730.trace(-1)), bytes);
    if (!commit(f, path, error))
        return false;
    r.FileKind = KindRdd;
    return true;
}

bool WriteZvx(MeasurementRecord& r, const QString& path, QString* error) {
    if (path.isEmpty())
        return fail(error, QStringLiteral("no file name"));
    const int N = r.TraceCount;
    if (r.Raw940.empty() || r.Raw940.firstTrace() != -3 || r.Raw940.lastTrace() != N ||
        r.Raw940.lastSample() != 768)
        return fail(error, QStringLiteral("the record holds no 940 samples"));
    ZvxHeader h = r.Zvx;
    if (r.FileKind == KindZvx4) {
        h.put<int16_t>(ZvxHeader::OffIdentifier, -4);
    } else {
        h.put<int16_t>(ZvxHeader::OffIdentifier, -3);
        // The record part: what a VXD record brings.
        h.put<int32_t>(ZvxHeader::OffStoredTraces, r.XDataSize);
        for (int i = 0; i < 3; ++i)
            h.Bytes[static_cast<size_t>(ZvxHeader::OffFirstSaveBytes + i)] = 0;
        h.putPadded(ZvxHeader::OffSerialNo, ZvxHeader::LenSerialNo, encodeSystemText(r.SerialNo));
        h.putPadded(ZvxHeader::OffMeasureDate, ZvxHeader::LenMeasureDate,
                    encodeSystemText(r.MeasureDate));
        h.put<int32_t>(ZvxHeader::OffDataNo, r.DataNo);
        h.put<int16_t>(ZvxHeader::OffYDataSize, static_cast<int16_t>(r.YDataSize));
        h.Bytes[ZvxHeader::OffXScale] = static_cast<uint8_t>(r.XScale);
        h.put<int16_t>(ZvxHeader::OffXAdjust, static_cast<int16_t>(r.XAdjust));
        h.Bytes[ZvxHeader::OffPrcsAsMS] = static_cast<uint8_t>(r.PrcsAsMS);
        h.put<int32_t>(ZvxHeader::OffProcessingLine, r.ProcessingLine);
        h.Bytes[ZvxHeader::OffPeak] = static_cast<uint8_t>(r.PeakFlag);
        h.Bytes[ZvxHeader::OffHandle] = static_cast<uint8_t>(r.Handle);
        h.put<float>(ZvxHeader::OffXPitch, r.XPitch);
        h.Bytes[ZvxHeader::OffTireOption] = static_cast<uint8_t>(r.TireOption);
    }
    // The display part, from the saved settings. The permittivity is kept to one decimal.
    const float perm =
        static_cast<float>(roundHalfEven(static_cast<double>(r.Saved.Permittivity) * 10.0) / 10.0);
    h.put<float>(ZvxHeader::OffPermittivity, perm);
    h.Bytes[ZvxHeader::OffGainBand] = static_cast<uint8_t>(r.Saved.GainMode);
    h.Bytes[ZvxHeader::OffGainStep] = static_cast<uint8_t>(r.Saved.Gain - 1);
    h.Bytes[ZvxHeader::OffViewRange] = static_cast<uint8_t>(r.Saved.ViewRange);
    if (const int c = ZvxCodes::fileCodeOfProc(r.Saved.ProcCode); c >= 0)
        h.Bytes[ZvxHeader::OffProcCode] = static_cast<uint8_t>(c);
    if (const int c = ZvxCodes::fileCodeOfColor(r.Saved.ColorCode); c >= 0)
        h.Bytes[ZvxHeader::OffColorCode] = static_cast<uint8_t>(c);
    h.Bytes[ZvxHeader::OffDirection] = static_cast<uint8_t>(r.Saved.Direction);
    if (const int c = ZvxCodes::unitCodeOf(r.Saved.XUnit); c >= 0)
        h.Bytes[ZvxHeader::OffXUnit] = static_cast<uint8_t>(c);
    if (const int c = ZvxCodes::unitCodeOf(r.Saved.YUnit); c >= 0)
        h.Bytes[ZvxHeader::OffYUnit] = static_cast<uint8_t>(c);
    // Mark slots.
    for (int g = 0; g < MarkGroups940; ++g) {
        for (int i = 1; i <= MarksPerGroup940; ++i) {
            const Mark940& m = r.Marks940[static_cast<size_t>(g)][static_cast<size_t>(i)];
            const int off = ZvxHeader::OffMarkSlots + MarkSlotOf(g, i) * ZvxHeader::MarkSlotSize;
            const bool used = m.InUse == FlagTrue;
            h.put<int32_t>(off, used ? m.X : 0);
            h.put<int16_t>(off + 4, used ? static_cast<int16_t>(m.Y) : int16_t{0});
            h.Bytes[static_cast<size_t>(off + 6)] = 0;
        }
    }

    // The file: header, then the trace records, which start inside the header's reserved tail.
    constexpr int Words = 1537;
    const qint64 size = 12294 + static_cast<qint64>(N) * Words * 2;
    std::vector<int16_t> out(static_cast<size_t>(size / 2), 0);
    auto* bytes = reinterpret_cast<uint8_t*>(out.data());
    std::memcpy(bytes, h.Bytes.data(), ZvxHeader::Size);
    const bool withSecond = r.FileKind == KindZvx4;
    bool fits = true;
    auto put16 = [&fits](int32_t v, uint8_t* at) {
        int16_t w = 0;
        fits = narrow(v, w) && fits;
        std::memcpy(at, &w, 2);
    };
    auto record = [&](int trace, qint64 offset, bool second) {
        uint8_t* rec = bytes + offset;
        const int32_t* x = r.Raw940.trace(trace);
        put16(x[0], rec);
        if (second && r.Raw940A.hasTrace(trace)) {
            const int32_t* xa = r.Raw940A.trace(trace);
            for (int v = 1; v <= 768; ++v)
                put16(xa[v], rec + 2 * v);
        }
        for (int v = 1; v <= 768; ++v)
            put16(x[v], rec + 2 * (768 + v));
    };
    record(0, 3072, false);
    record(-1, 6146, false);
    record(-3, 9220, false);
    for (int k = 1; k <= N; ++k)
        record(k, 12294 + static_cast<qint64>(k - 1) * Words * 2, withSecond);
    if (!fits)
        return fail(error, QStringLiteral("a sample does not fit 16 bits"));

    // An existing file is written over from its start and not shortened.
    QFile existing(path);
    QByteArray tail;
    if (existing.open(QIODevice::ReadOnly) && existing.size() > size) {
        existing.seek(size);
        tail = existing.readAll();
    }
    existing.close();
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    f.write(reinterpret_cast<const char*>(bytes), size);
    f.write(tail);
    if (!commit(f, path, error))
        return false;
    r.Zvx = h;
    // Bytes 3072.. of the stored header are the first bytes of the trace-0 record.
    std::memcpy(r.Zvx.Bytes.data() + 3072, bytes + 3072, ZvxHeader::Size - 3072);
    if (r.FileKind == KindVxd)
        r.FileKind = KindZvx3;
    return true;
}

} // namespace rebar
