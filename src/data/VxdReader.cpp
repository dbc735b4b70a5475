#include "data/VxdReader.h"

#include "base/DateText.h"
#include "base/QuotedFields.h"
#include "base/TextEncoding.h"
#include "data/Family.h"
#include "data/HeldTraces.h"
#include "data/LoadProgress.h"
#include "data/PermittivityPreset.h"
#include "data/Resample940.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <memory>

namespace rebar {

namespace {

using namespace VxdLayout;

constexpr int R = Family940::RawLast;  // 768
constexpr int Samples = R + 1;         // 769
constexpr int16_t MaxTraces940 = 6000; // the limit this reader sets
constexpr int32_t ProcessingLineFlag = -3;

// No header field comes near this; a file that holds one is no VXD file.
constexpr qsizetype MaxHeaderField = 4 * 1024 * 1024;

ReadResult fail(const QString& why) {
    return ReadResult::failure(why);
}

QString shown(QByteArrayView v) {
    return decodeSystemText(v.first(std::min<qsizetype>(v.size(), 40)).toByteArray());
}

// The header records up to "END", applied to the record.
class VxdHeader {
public:
    VxdHeader(QuotedFields& in, MeasurementRecord& r) : m_in(in), m_r(r) {}

    ReadResult read() {
        QByteArrayView field;
        for (;;) {
            if (!m_in.next(field))
                return endOfInput();
            QByteArray key = field.toByteArray();
            while (!key.isEmpty() && (key.endsWith(' ') || key.endsWith('\t')))
                key.chop(1);
            if (!m_in.next(field))
                return endOfInput();
            if (key == "END")
                return ReadResult::success();
            if (ReadResult res = apply(key, field); !res)
                return res;
        }
    }

private:
    ReadResult endOfInput() const {
        if (m_in.readError())
            return fail(QStringLiteral("the file cannot be read"));
        if (m_in.fieldTooLong())
            return ReadResult::failure(FailureKind::NotMeasurementFile,
                                       QStringLiteral("the header has a field that does not end"));
        return ReadResult::failure(FailureKind::Truncated,
                                   QStringLiteral("the header has no END record"));
    }
    static ReadResult badValue(const QByteArray& key, QByteArrayView v) {
        return fail(QStringLiteral("header \"%1\": \"%2\" is not a number that fits the field")
                        .arg(QString::fromLatin1(key), shown(v)));
    }
    template <typename T> static bool toInt16(QByteArrayView v, T& out) {
        int16_t x = 0;
        if (!QuotedFields::toInteger(v, x))
            return false;
        out = x;
        return true;
    }

    ReadResult apply(const QByteArray& key, QByteArrayView v) {
        MeasurementRecord& r = m_r;
        int16_t i16 = 0;
        if (key == "Ser No.") {
            r.SerialNo = decodeSystemText(v.toByteArray());
        } else if (key == "NOTE") {
            r.Note = decodeSystemText(v.toByteArray())
                         .replace(QLatin1String("@@"), QLatin1String("\r\n"));
        } else if (key == "Date") {
            const QString text = decodeSystemText(v.toByteArray());
            const QDate d = ParseDateText(text);
            if (!d.isValid())
                return ReadResult::failure(
                    FailureKind::BadDate,
                    QStringLiteral("header \"Date\": \"%1\" is not a date").arg(text.left(40)),
                    text.left(40));
            r.MeasureDate = ShortDateText(d);
        } else if (key == "Time") {
            r.MeasureTime = decodeSystemText(v.toByteArray());
        } else if (key == "DataNo") {
            if (!toInt16(v, r.DataNo))
                return badValue(key, v);
        } else if (key == "X Data Size") {
            if (!QuotedFields::toInteger(v, r.XDataSize))
                return badValue(key, v);
            const HeldTraces held = LastTraces(r.XDataSize, MaxTraces940);
            r.TraceCount = held.count;
            r.SkippedTraces = held.skipped;
        } else if (key == "Y Data Size") {
            if (!QuotedFields::toInteger(v, r.YDataSize))
                return badValue(key, v);
        } else if (key == "X Scale") {
            if (!toInt16(v, r.XScale))
                return badValue(key, v);
        } else if (key == "X Adjust") {
            if (!toInt16(v, r.XAdjust))
                return badValue(key, v);
        } else if (key == "Sensitivity") {
            if (!toInt16(v, i16))
                return badValue(key, v);
            if (i16 >= 0 && i16 <= 9) {
                r.Gain = static_cast<int16_t>(i16 % 5 + 1);
                r.GainMode = i16 >= 5 ? 1 : 0;
            }
        } else if (key == "Y Scale") {
            float er = 0;
            if (!QuotedFields::toSingle(v, er))
                return badValue(key, v);
            r.Permittivity = er;
            r.PermittivityPreset = er == 0.0f ? 7 : PermittivityPresetOf(er);
        } else if (key == "Color") {
            if (!toInt16(v, i16))
                return badValue(key, v);
            // The ZVX gradation table, codes 0..9 (absolute-value gradations first).
            const int c = i16 > 9 ? i16 - 10 : i16;
            if (c >= 0 && c <= 9)
                r.ColorCode = ZvxCodes::colorCodeOf(c);
        } else if (key == "Handle") {
            if (!toInt16(v, r.Handle))
                return badValue(key, v);
            if (r.Handle == -1)
                r.Handle = 0;
        } else if (key == "Direction") {
            if (!toInt16(v, r.Direction))
                return badValue(key, v);
            if (r.Direction == -1)
                r.Direction = 0;
        } else if (key == "X Pitch") {
            if (!QuotedFields::toSingle(v, r.XPitch))
                return badValue(key, v);
        } else if (key == "Processing") {
            if (!toInt16(v, i16))
                return badValue(key, v);
            // The ZVX processing table, codes 0..5.
            if (i16 >= 0 && i16 <= 5)
                r.ProcCode = static_cast<int16_t>(ZvxCodes::procCodeOf(i16));
        } else if (key == "Prcs as MS") {
            if (!toInt16(v, r.PrcsAsMS))
                return badValue(key, v);
        } else if (key == "Processing Line") {
            if (!toInt16(v, r.ProcessingLine))
                return badValue(key, v);
        } else if (key == "Peak") {
            if (!toInt16(v, r.PeakFlag))
                return badValue(key, v);
        } else if (key == "Tire Op") {
            if (!toInt16(v, r.TireOption))
                return badValue(key, v);
        } else if (key == "Marks") {
            if (!toInt16(v, r.MarkCount))
                return badValue(key, v);
            r.MarkerGroup = 0;
        } else if (key == "ViewRange") {
            if (!toInt16(v, r.ViewRange))
                return badValue(key, v);
        } else if (key == "X Unit") {
            unit(v, r.XUnit);
        } else if (key == "Y Unit") {
            unit(v, r.YUnit);
        }
        return ReadResult::success();
    }

    // "0".."4" exactly; any other text leaves the unit.
    static void unit(QByteArrayView v, QString& out) {
        static const char* const Units[] = {"mm", "cm", "m", "inch", "ns"};
        if (v.size() == 1 && v[0] >= '0' && v[0] <= '4')
            out = QString::fromLatin1(Units[v[0] - '0']);
    }

    QuotedFields& m_in;
    MeasurementRecord& m_r;
};

// Marks940 from an identifier (group by hundreds) and the position; fails for a mark number
// outside 1..99.
ReadResult setMark(MeasurementRecord& r, int64_t id, int32_t x, int32_t y) {
    const int group = id <= 99 ? 0 : id <= 200 ? 1 : 2;
    const int64_t mark = id - 100 * group;
    if (mark < 1 || mark > MarksPerGroup940)
        return fail(QStringLiteral("mark identifier %1 names no mark 1..99").arg(id));
    Mark940& m = r.Marks940[static_cast<size_t>(group)][static_cast<size_t>(mark)];
    m.InUse = FlagTrue;
    m.X = x;
    m.Y = y;
    return ReadResult::success();
}

int16_t bigEndian16(const uchar* p) {
    return static_cast<int16_t>(static_cast<uint16_t>((p[0] << 8) | p[1]));
}

// The measured trace whose sample 0 is this value marks the processing reference line.
bool flagsProcessingLine(const int32_t* trace) {
    return trace[0] == ProcessingLineFlag;
}

// Binary variant: the block of traces 0, -1, -3, 1..XDataSize, then the marks, at the end of
// the file. The record keeps the reference traces and the last TraceCount measured traces; line
// is set to the last kept trace that flags the processing line (0 none).
ReadResult readBinaryData(QFile& f, qint64 headerEnd, MeasurementRecord& r, const ReadContext& ctx,
                          int32_t& line) {
    r.LoadStage = Stage::Data001;
    const int32_t n = r.TraceCount;
    const qint64 length = f.size();
    // Located from the stored count, so that a file with more traces than are kept is not
    // read at the wrong place.
    const qint64 blockBytes =
        (qint64(r.XDataSize) + 3) * TraceBytes + qint64(r.MarkCount) * MarkBytes;
    const qint64 start = length - blockBytes;
    if (start < headerEnd)
        return ReadResult::failure(
            FailureKind::CountBeyondFile,
            QStringLiteral("%1 traces and %2 marks need %3 bytes, the file holds %4 "
                           "after its header")
                .arg(r.XDataSize)
                .arg(r.MarkCount)
                .arg(blockBytes)
                .arg(length - headerEnd));
    if (!r.Raw940.allocate(-3, n, R) || !r.Samples940.allocate(-3, n, Family940::DDLast) ||
        !r.Work940.allocate(1, n, R) || !r.Work940x2.allocate(1, n, Family940::DDLast))
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));

    // The three reference traces at the block's start, the kept traces after the skipped ones.
    const qint64 keptBytes = (qint64(n) + 3) * TraceBytes;
    std::unique_ptr<uchar[]> buf(new (std::nothrow) uchar[size_t(keptBytes)]);
    if (!buf)
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));
    char* data = reinterpret_cast<char*>(buf.get());
    const qint64 referenceBytes = 3 * TraceBytes;
    const qint64 skippedBytes = qint64(r.SkippedTraces) * TraceBytes;
    if (!f.seek(start) || f.read(data, referenceBytes) != referenceBytes ||
        !f.seek(start + referenceBytes + skippedBytes) ||
        f.read(data + referenceBytes, keptBytes - referenceBytes) != keptBytes - referenceBytes)
        return ReadResult::systemFailure(QStringLiteral("the data block cannot be read"),
                                         f.errorString());

    const uchar* p = buf.get();
    auto store = [&p](int32_t* x) {
        for (int v = 0; v < Samples; ++v, p += 2)
            x[v] = bigEndian16(p);
    };
    store(r.Raw940.trace(0));
    store(r.Raw940.trace(-1));
    store(r.Raw940.trace(-3));
    LoadProgress progress(ctx, LoadProgress::Reading940, n);
    for (int32_t k = 1; k <= n; ++k) {
        int32_t* x = r.Raw940.trace(k);
        store(x);
        if (flagsProcessingLine(x))
            line = k;
        progress.afterTrace(k);
    }
    buf.reset();

    r.LoadStage = Stage::Data002;
    if (r.MarkCount > 0) {
        const qint64 markBytes = qint64(r.MarkCount) * MarkBytes;
        QByteArray marks(markBytes, Qt::Uninitialized);
        if (!f.seek(length - markBytes) || f.read(marks.data(), markBytes) != markBytes)
            return fail(QStringLiteral("the marks cannot be read: %1").arg(f.errorString()));
        const auto* m = reinterpret_cast<const uchar*>(marks.constData());
        for (int i = 0; i < r.MarkCount; ++i, m += MarkBytes)
            if (ReadResult res =
                    setMark(r, bigEndian16(m + 2), bigEndian16(m + 6), bigEndian16(m + 10));
                !res)
                return res;
    }
    return ReadResult::success();
}

// A text data field as a 32-bit integer. Plain decimal integers are read directly; anything
// else takes the general number rules (rounded halves to even).
bool fieldToInt32(QByteArrayView v, int32_t& out) {
    const char* p = v.data();
    const char* e = p + v.size();
    const char* q = p;
    bool negative = false;
    if (q < e && (*q == '-' || *q == '+'))
        negative = *q++ == '-';
    if (q < e && e - q <= 9) {
        int32_t x = 0;
        const char* d = q;
        while (d < e && *d >= '0' && *d <= '9')
            x = x * 10 + (*d++ - '0');
        if (d == e) {
            out = negative ? -x : x;
            return true;
        }
    }
    return QuotedFields::toInteger(v, out);
}

// Text variant: the same traces as decimal fields after the "END" record, then the marks as
// identifier, X, Y. The measured traces before the kept ones are read and passed over.
ReadResult readTextData(QuotedFields& in, qint64 length, MeasurementRecord& r,
                        const ReadContext& ctx, int32_t& line) {
    r.LoadStage = Stage::Data101;
    const int32_t n = r.TraceCount;
    // Every value takes at least a digit and a separator.
    const qint64 values = (qint64(r.XDataSize) + 3) * Samples;
    if (length - in.fieldEnd() < 2 * values - 1)
        return ReadResult::failure(
            FailureKind::CountBeyondFile,
            QStringLiteral("%1 traces need %2 values, the file cannot hold them")
                .arg(n)
                .arg(values));
    if (!r.Raw940.allocate(-3, n, R) || !r.Samples940.allocate(-3, n, Family940::DDLast) ||
        !r.Work940.allocate(1, n, R) || !r.Work940x2.allocate(1, n, Family940::DDLast))
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));

    QByteArrayView field;
    auto value = [&](int32_t& out, const char* what, qint64 index) {
        if (!in.next(field))
            return ReadResult::failure(
                FailureKind::Truncated,
                QStringLiteral("the file ends before %1 %2").arg(QLatin1String(what)).arg(index));
        if (!fieldToInt32(field, out))
            return fail(QStringLiteral("%1 %2: \"%3\" is not a 32-bit integer")
                            .arg(QLatin1String(what))
                            .arg(index)
                            .arg(shown(field)));
        return ReadResult::success();
    };
    auto trace = [&](int t, int32_t* x) {
        for (int v = 0; v < Samples; ++v)
            if (ReadResult res = value(x[v], "trace", t); !res)
                return res;
        return ReadResult::success();
    };
    for (int t : {0, -1, -3})
        if (ReadResult res = trace(t, r.Raw940.trace(t)); !res)
            return res;
    // Traces the record does not keep come first.
    for (int32_t k = 1; k <= r.SkippedTraces; ++k) {
        int32_t skipped[Samples];
        if (ReadResult res = trace(k, skipped); !res)
            return res;
    }
    LoadProgress progress(ctx, LoadProgress::Reading940, n);
    for (int32_t k = 1; k <= n; ++k) {
        if (ReadResult res = trace(r.SkippedTraces + k, r.Raw940.trace(k)); !res)
            return res;
        if (flagsProcessingLine(r.Raw940.trace(k)))
            line = k;
        progress.afterTrace(k);
    }

    r.LoadStage = Stage::Data102;
    for (int i = 1; i <= r.MarkCount; ++i) {
        int32_t id = 0, x = 0, y = 0;
        for (int32_t* out : {&id, &x, &y})
            if (ReadResult res = value(*out, "mark", i); !res)
                return res;
        if (ReadResult res = setMark(r, id, x, y); !res)
            return res;
    }
    return ReadResult::success();
}

} // namespace

ReadResult ReadVxd(MeasurementRecord& r, const ReadContext& ctx) {
    r.LoadStage = Stage::Open001;
    if (ctx.MaxTraces)
        *ctx.MaxTraces = MaxTraces940;
    const bool binary = r.FileName.startsWith(QLatin1Char('B'));
    if (!binary && !r.FileName.startsWith(QLatin1Char('T')))
        return fail(QStringLiteral("a VXD file name must start with B or T"));
    QFile f(r.FilePath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ReadResult::systemFailure(QStringLiteral("the file cannot be opened"),
                                         f.errorString());
    const qint64 length = f.size();

    r.LoadStage = Stage::Header001;
    QuotedFields in(f);
    in.setMaxFieldLength(MaxHeaderField);
    if (ReadResult res = VxdHeader(in, r).read(); !res)
        return res;
    if (r.TraceCount < 1)
        return fail(QStringLiteral("header \"X Data Size\": %1 traces; a measurement has at "
                                   "least one")
                        .arg(r.XDataSize));
    if (r.MarkCount < 0)
        return fail(
            QStringLiteral("header \"Marks\": %1 is not a number of marks").arg(r.MarkCount));
    r.clearMarks940();

    int32_t line = 0;
    const ReadResult data = binary ? readBinaryData(f, in.fieldEnd(), r, ctx, line)
                                   : readTextData(in, length, r, ctx, line);
    if (!data)
        return data;
    f.close();
    // Marks and the header's processing line count the file's traces; a trace flagged as the
    // processing line replaces the header's line, and its copy is the reference trace -3.
    MoveToHeldTraces(r);
    if (line != 0) {
        r.ProcessingLine = line;
        std::memcpy(r.Raw940.trace(-3), r.Raw940.trace(line), Samples * sizeof(int32_t));
    }

    // The second matrix holds a copy of the measured traces as read.
    const int32_t n = r.TraceCount;
    if (!r.Raw940A.allocate(-3, n, R) || !r.Samples940A.allocate(-3, n, Family940::DDLast))
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));
    std::memcpy(r.Raw940A.trace(1), r.Raw940.trace(1), size_t(n) * Samples * sizeof(int32_t));
    r.AutoGainReady = 0;

    r.LoadStage = Stage::Data201;
    if (ReadResult res = Resample940(r, ctx); !res)
        return res;
    r.LoadStage.clear();
    return ReadResult::success();
}

} // namespace rebar
