#include "data/RddReader.h"

#include "base/DateText.h"
#include "base/QuotedFields.h"
#include "base/TextEncoding.h"
#include "data/DoubleDensity.h"
#include "data/Family.h"

#include <QFile>
#include <algorithm>
#include <bit>

namespace rebar {

namespace {

constexpr int SamplesPerTrace = Family730::RawLast + 1;                     // 513
constexpr qint64 BytesPerTrace = SamplesPerTrace * qint64(sizeof(int16_t)); // 1026

// No header field (a note is the longest) comes near this; a file that holds one is no RDD.
constexpr qsizetype MaxHeaderField = 4 * 1024 * 1024;

// Sample 0 values that flag the processing-line trace.
constexpr int16_t LineFlagA = 16;
constexpr int16_t LineFlagB = 48;

QString keyText(QByteArrayView key) {
    return QString::fromLatin1(key.toByteArray());
}

// Reads the header fields into r up to the "MAINDATA" record. fileSize bounds the markers.
class HeaderReader {
public:
    HeaderReader(QuotedFields& in, MeasurementRecord& r, qint64 fileSize)
        : m_in(in), m_r(r), m_fileSize(fileSize) {}

    ReadResult read() {
        QByteArray key;
        QByteArrayView value;
        for (;;) {
            if (!m_in.next(key) || !m_in.next(value)) {
                if (m_in.readError())
                    return fail(QStringLiteral("the file cannot be read"));
                if (m_in.fieldTooLong())
                    return ReadResult::failure(
                        FailureKind::NotMeasurementFile,
                        QStringLiteral("the header has a field that does not end"));
                return ReadResult::failure(FailureKind::Truncated,
                                           QStringLiteral("the header has no MAINDATA line"));
            }
            key = key.trimmed().toUpper();
            if (key == "MAINDATA")
                return ReadResult::success();
            if (ReadResult res = apply(key, value); !res)
                return res;
        }
    }

private:
    static ReadResult fail(const QString& why) { return ReadResult::failure(why); }
    static ReadResult badValue(const QByteArray& key, QByteArrayView value) {
        return fail(
            QStringLiteral("header %1: \"%2\" is not a number that fits the field")
                .arg(keyText(key),
                     decodeSystemText(
                         value.first(std::min<qsizetype>(value.size(), 40)).toByteArray())));
    }
    template <typename T> ReadResult integer(const QByteArray& key, QByteArrayView v, T& field) {
        return QuotedFields::toInteger(v, field) ? ReadResult::success() : badValue(key, v);
    }
    // A 16-bit field stored in a wider record member.
    template <typename T> ReadResult integer16(const QByteArray& key, QByteArrayView v, T& field) {
        int16_t x = 0;
        if (!QuotedFields::toInteger(v, x))
            return badValue(key, v);
        field = x;
        return ReadResult::success();
    }

    ReadResult apply(const QByteArray& key, QByteArrayView v) {
        MeasurementRecord& r = m_r;
        if (key == "NOTE") {
            r.Note = decodeHeaderText(v.toByteArray())
                         .replace(QLatin1String("@@"), QLatin1String("\r\n"));
        } else if (key == "DATE") {
            const QString text = decodeSystemText(v.toByteArray());
            const QDate d = ParseDateText(text);
            if (!d.isValid())
                return ReadResult::failure(
                    FailureKind::BadDate,
                    QStringLiteral("header DATE: \"%1\" is not a date").arg(text.left(40)),
                    text.left(40));
            r.MeasureDate = ShortDateText(d);
        } else if (key == "TIME") {
            r.MeasureTime = decodeSystemText(v.toByteArray());
        } else if (key == "DATA") {
            return integer(key, v, r.DataNo);
        } else if (key == "LC") {
            return integer(key, v, r.TraceCount);
        } else if (key == "XSCA") {
            return integer16(key, v, r.XScale);
        } else if (key == "XADJ") {
            return integer16(key, v, r.XAdjust);
        } else if (key == "GAIN") {
            return integer(key, v, r.Gain);
        } else if (key == "AF") {
            return integer(key, v, r.GainMode);
        } else if (key == "DEPTH") {
            return integer16(key, v, r.PermittivityPreset);
        } else if (key == "E") {
            float e = 0;
            if (!QuotedFields::toSingle(v, e))
                return badValue(key, v);
            r.Permittivity = e;
        } else if (key == "COLOR") {
            int16_t c = 0;
            if (!QuotedFields::toInteger(v, c))
                return badValue(key, v);
            r.ColorCode = c > 9 ? c - 10 : c;
        } else if (key == "DIR") {
            return integer(key, v, r.Direction);
        } else if (key == "PROC") {
            return integer(key, v, r.ProcCode);
        } else if (key == "PEAK") {
            return integer(key, v, r.PeakFlag);
        } else if (key == "REF") {
            return integer(key, v, r.ProcessingLine);
        } else if (key == "RANGE") {
            return integer(key, v, r.ViewRange);
        } else if (key == "XUNIT") {
            r.XUnit = decodeSystemText(v.toByteArray());
        } else if (key == "YUNIT") {
            r.YUnit = decodeSystemText(v.toByteArray());
        } else if (key == "MARKER") {
            int32_t n = 0;
            if (!QuotedFields::toInteger(v, n))
                return badValue(key, v);
            return markers(n);
        }
        // "VER", "SEARCH" and unknown keys carry nothing the record keeps.
        return ReadResult::success();
    }

    // The n + 1 marker lines after "MARKER" n: trace position and sample position - 1.
    ReadResult markers(int32_t n) {
        // -1 is what an empty marker list is written as; it announces no lines.
        if (n < -1)
            return fail(QStringLiteral("header MARKER: %1 is not a marker count").arg(n));
        const qint64 count = qint64(n) + 1;
        // Each entry takes at least two one-byte fields and their separators.
        if (count > (m_fileSize - m_in.fieldEnd()) / 4)
            return ReadResult::failure(
                FailureKind::CountBeyondFile,
                QStringLiteral("header MARKER: %1 entries announced, the file cannot "
                               "hold that many")
                    .arg(count));
        m_r.Markers730.assign(static_cast<size_t>(count), Marker730{});
        for (Marker730& m : m_r.Markers730) {
            QByteArrayView f;
            int32_t stored = 0;
            if (!m_in.next(f))
                return endOfMarkers();
            if (!QuotedFields::toInteger(f, m.Position))
                return badValue("MARKER", f);
            if (!m_in.next(f))
                return endOfMarkers();
            if (!QuotedFields::toInteger(f, stored) || !checkedAdd(stored, int32_t{1}, m.Sample))
                return badValue("MARKER", f);
        }
        return ReadResult::success();
    }

    static ReadResult endOfMarkers() {
        return ReadResult::failure(FailureKind::Truncated,
                                   QStringLiteral("the file ends inside the marker lines"));
    }

    QuotedFields& m_in;
    MeasurementRecord& m_r;
    qint64 m_fileSize;
};

// The last trace k = 1..N whose status word flags the processing line, or 0.
int32_t flaggedProcessingLine(const Matrix<int16_t>& raw, int32_t n) {
    int32_t line = 0;
    for (int32_t k = 1; k <= n; ++k) {
        const int16_t status = raw(k, 0);
        if (status == LineFlagA || status == LineFlagB)
            line = k;
    }
    return line;
}

} // namespace

ReadResult ReadRdd(MeasurementRecord& r, const ReadContext&) {
    QFile f(r.FilePath);
    // Unbuffered: the header reader keeps its own buffer and the block is read in one piece.
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ReadResult::systemFailure(QStringLiteral("the file cannot be opened"),
                                         f.errorString());
    const qint64 length = f.size();

    QuotedFields in(f);
    in.setMaxFieldLength(MaxHeaderField);
    if (ReadResult res = HeaderReader(in, r, length).read(); !res)
        return res;
    const qint64 headerEnd = in.fieldEnd();

    // The block is the last (N + 2) traces of the file and must lie behind the header.
    const int32_t n = r.TraceCount;
    if (n <= 0)
        return ReadResult::failure(
            QStringLiteral("header LC: %1 traces; a measurement has at least one").arg(n));
    const qint64 blockBytes = (qint64(n) + 2) * BytesPerTrace;
    if (blockBytes > length - headerEnd)
        return ReadResult::failure(
            FailureKind::CountBeyondFile,
            QStringLiteral("header LC: %1 traces need %2 bytes of samples, the file holds %3 "
                           "after its header")
                .arg(n)
                .arg(blockBytes)
                .arg(length - headerEnd));

    if (!r.Raw730.allocate(-1, n, Family730::RawLast) ||
        !r.Samples730.allocate(-1, n, Family730::DDLast) ||
        !r.Work730.allocate(1, n, Family730::RawLast) ||
        !r.Work730x2.allocate(1, n, Family730::DDLast))
        return ReadResult::failure(QStringLiteral("not enough memory for %1 traces").arg(n));

    // Raw730 has the block's layout (traces -1..N of 513 samples), so the block is read
    // straight into it.
    char* dest = reinterpret_cast<char*>(r.Raw730.trace(-1));
    if (!f.seek(length - blockBytes) || f.read(dest, blockBytes) != blockBytes)
        return ReadResult::systemFailure(QStringLiteral("the sample block cannot be read"),
                                         f.errorString());
    f.close();
    if constexpr (std::endian::native == std::endian::big) {
        int16_t* p = r.Raw730.trace(-1);
        for (qint64 i = 0; i < blockBytes / 2; ++i) {
            const auto u = static_cast<uint16_t>(p[i]);
            p[i] = static_cast<int16_t>(static_cast<uint16_t>((u >> 8) | (u << 8)));
        }
    }

    if (const int32_t line = flaggedProcessingLine(r.Raw730, n); line != 0)
        r.ProcessingLine = line;

    int bad = 0;
    if (!DoubleDensityPass<Family730>(r.Raw730, r.Samples730, nullptr, nullptr, -1, n, &bad))
        return ReadResult::failure(
            QStringLiteral("trace %1: a sum of two samples leaves 16 bits").arg(bad));
    return ReadResult::success();
}

} // namespace rebar
