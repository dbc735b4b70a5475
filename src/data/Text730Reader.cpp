#include "data/Text730Reader.h"

#include "base/QuotedFields.h"
#include "base/TextEncoding.h"
#include "data/DoubleDensity.h"
#include "data/Family.h"
#include "data/PermittivityPreset.h"

#include <QFile>
#include <cstring>
#include <memory>

namespace rebar {

namespace {

using namespace Text730Layout;

const QString Signature = QStringLiteral("QTX-730 Measurement Data");

// A header line longer than this is no header line; reading stops there.
constexpr qsizetype MaxLine = 64 * 1024;

ReadResult fail(const QString& why) {
    return ReadResult::failure(why);
}

// Lines of a file read in chunks: each line without its line end (CR LF, LF or a lone CR),
// with the number of bytes it took including the line end.
class LineReader {
public:
    explicit LineReader(QFile& f) : m_f(f) { m_buf.resize(64 * 1024); }

    // False at the end of the input, after a read error and for a line longer than MaxLine.
    bool next(QByteArrayView& line, qint64& bytes) {
        qsizetype scanFrom = m_pos;
        for (;;) {
            const char* p = m_buf.constData();
            qsizetype i = scanFrom;
            while (i < m_end && p[i] != '\n' && p[i] != '\r')
                ++i;
            if (i < m_end) {
                if (p[i] == '\r' && i + 1 == m_end && !m_eof) {
                    const qsizetype at = i - m_pos; // a CR at the end: is LF next?
                    fill();
                    scanFrom = m_pos + at;
                    continue;
                }
                const qsizetype endLen = p[i] == '\r' && i + 1 < m_end && p[i + 1] == '\n' ? 2 : 1;
                line = QByteArrayView(p + m_pos, i - m_pos);
                bytes = i - m_pos + endLen;
                m_pos = i + endLen;
                return true;
            }
            if (i - m_pos > MaxLine) {
                m_tooLong = true;
                return false;
            }
            const qsizetype at = i - m_pos;
            if (!fill()) {
                if (m_pos == m_end)
                    return false;
                line = QByteArrayView(m_buf.constData() + m_pos, m_end - m_pos);
                bytes = m_end - m_pos;
                m_pos = m_end;
                return true;
            }
            scanFrom = m_pos + at;
        }
    }
    bool tooLong() const { return m_tooLong; }
    bool readError() const { return m_error; }

private:
    // Moves the unread bytes to the front and reads more behind them.
    bool fill() {
        if (m_eof)
            return false;
        const qsizetype kept = m_end - m_pos;
        std::memmove(m_buf.data(), m_buf.constData() + m_pos, static_cast<size_t>(kept));
        m_pos = 0;
        m_end = kept;
        if (m_end == m_buf.size())
            m_buf.resize(m_buf.size() * 2);
        const qint64 n = m_f.read(m_buf.data() + m_end, m_buf.size() - m_end);
        if (n <= 0) {
            m_eof = true;
            m_error = n < 0;
            return false;
        }
        m_end += static_cast<qsizetype>(n);
        return true;
    }

    QFile& m_f;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    bool m_error = false;
    bool m_tooLong = false;
};

ReadResult endOfInput(const LineReader& in, const char* where) {
    if (in.tooLong())
        return ReadResult::failure(FailureKind::NotMeasurementFile,
                                   QStringLiteral("a line longer than %1 bytes %2")
                                       .arg(MaxLine)
                                       .arg(QLatin1String(where)));
    if (in.readError())
        return fail(QStringLiteral("the file cannot be read"));
    return ReadResult::failure(FailureKind::Truncated,
                               QStringLiteral("the file ends %1").arg(QLatin1String(where)));
}

template <typename T> bool toInteger(const QString& text, T& out) {
    return QuotedFields::toInteger(QByteArrayView(text.toLatin1()), out);
}

ReadResult badValue(const QString& line) {
    return fail(QStringLiteral("header line \"%1\": the value is not a number that fits its field")
                    .arg(line.left(60)));
}

// The header lines after line 1, tested against their prefixes in this order; the first
// match decides. Values start at the given character (1 = first).
enum class Key {
    Date,
    Time,
    DataNo,
    TraceCount,
    XScale,
    YScale,
    XAdjust,
    Range,
    Search,
    Dire,
    DispColor,
    DispDirection,
    Amplitude,
    XUnit,
    YUnit,
    Gain,
    Prcs,
    End
};
struct Prefix {
    const char* text;
    int from;
    Key key;
};
constexpr Prefix Prefixes[] = {
    {"DATE", 8, Key::Date},
    {"TIME", 8, Key::Time},
    {"DATA #", 10, Key::DataNo},
    {"X D", 14, Key::TraceCount},
    {"X SCALE :", 11, Key::XScale},
    {"Y SCALE :", 11, Key::YScale},
    {"X SCALE A", 18, Key::XAdjust},
    {"SCALE R", 15, Key::Range},
    {"SEARCH", 15, Key::Search},
    {"DIRE", 8, Key::Dire},
    {"disp.color", 14, Key::DispColor},
    {"disp.direction", 18, Key::DispDirection},
    {"amplitude", 13, Key::Amplitude},
    {"X unit", 10, Key::XUnit},
    {"Y unit", 10, Key::YUnit},
    {"Gain", 8, Key::Gain},
    {"PRCS", 8, Key::Prcs},
    {"END", 0, Key::End},
};

const Prefix* matchPrefix(const QString& line) {
    for (const Prefix& p : Prefixes) {
        const auto n = static_cast<qsizetype>(std::strlen(p.text));
        if (line.size() >= n && line.left(n).toUpper() == QString::fromLatin1(p.text).toUpper())
            return &p;
    }
    return nullptr;
}

// Index of word in words (compared upper-cased), or -1.
int wordIndex(const QString& value, std::initializer_list<const char*> words) {
    const QString v = value.toUpper();
    int i = 0;
    for (const char* w : words) {
        if (v == QString::fromLatin1(w).toUpper())
            return i;
        ++i;
    }
    return -1;
}

// Applies one header line; returns false (with the reason) for a value that does not fit.
ReadResult applyHeaderLine(MeasurementRecord& r, const QString& line, const Prefix& p) {
    const QString value = line.mid(p.from - 1);
    switch (p.key) {
    case Key::Date:
        r.MeasureDate = value;
        break;
    case Key::Time:
        r.MeasureTime = value;
        break;
    case Key::DataNo:
        if (!toInteger(value, r.DataNo))
            return badValue(line);
        break;
    case Key::TraceCount: {
        int16_t n = 0;
        if (!toInteger(value, n))
            return badValue(line);
        r.TraceCount = n;
        break;
    }
    case Key::XScale:
        r.XScale = value.contains(QLatin1String("TIME"), Qt::CaseInsensitive) ? 1 : 0;
        break;
    case Key::YScale:
        if (value.contains(QLatin1String("NS"), Qt::CaseInsensitive)) {
            r.PermittivityPreset = 7;
            r.Permittivity = 0;
        } else {
            float er = 0;
            if (!QuotedFields::toSingle(QByteArrayView(value.toLatin1()), er))
                return badValue(line);
            r.Permittivity = er;
            r.PermittivityPreset = PermittivityPresetOf(er);
        }
        break;
    case Key::XAdjust: {
        int16_t a = 0;
        if (!toInteger(value, a))
            return badValue(line);
        r.XAdjust = a;
        break;
    }
    case Key::Range: {
        const int i = wordIndex(value, {"4NS", "6NS", "8NS", "4NSW", "6NSW", "8NSW"});
        r.ViewRange = static_cast<int16_t>(i < 0 ? 1 : i);
        break;
    }
    case Key::Search:
        r.ProcCode = value.trimmed().toUpper() == QLatin1String("INT") ? 1 : 5;
        break;
    case Key::Dire:
        if (!toInteger(value, r.Direction))
            return badValue(line);
        break;
    case Key::DispColor:
        if (const int i =
                wordIndex(value, {"COLOR1", "COLOR2", "COLOR3", "MONOCHROME1", "MONOCHROME2"});
            i >= 0)
            r.ColorCode = 2 * i;
        break;
    case Key::DispDirection:
        if (const int i = wordIndex(value, {"normal", "invert"}); i >= 0)
            r.Direction = i == 0 ? 1 : 0;
        break;
    case Key::Amplitude:
        if (wordIndex(value, {"offset"}) == 0)
            r.ColorCode += 1;
        break;
    case Key::XUnit:
        r.XUnit = value;
        break;
    case Key::YUnit:
        r.YUnit = value;
        break;
    case Key::Gain:
        if (const int i = wordIndex(
                value, {"-2S", "-1S", "AS", "+1S", "+2S", "-2D", "-1D", "AD", "+1D", "+2D"});
            i >= 0) {
            r.Gain = static_cast<int16_t>(i % 5 + 1);
            r.GainMode = i >= 5 ? 1 : 0;
        }
        break;
    case Key::Prcs:
        if (const int i =
                wordIndex(value, {"ORG", "INT", "MAN", "SUB", "AVR", "USER", "Peak_ORG", "Peak_INT",
                                  "Peak_MAN", "Peak_SUB", "Peak_AVR", "Peak_USER"});
            i >= 0) {
            r.ProcCode = static_cast<int16_t>(i % 6);
            r.PeakFlag = i >= 6 ? 1 : 0;
        }
        break;
    case Key::End:
        break;
    }
    return ReadResult::success();
}

// The marker lines of the header ("MarkX" or "MarkY" anywhere in the line, exact case):
// MarkXn:position and MarkYn:sample, n being the text from character 6 up to the first colon.
// The lines are applied in order into 43 entries until the first bad one.
struct MarkerLines {
    std::vector<Marker730> entries = std::vector<Marker730>(MarkerEntries);
    ReadResult result = ReadResult::success();

    void apply(const QString& line) {
        const bool isX = line.contains(QLatin1String("MarkX"));
        if (result && (isX || line.contains(QLatin1String("MarkY"))))
            result = applyLine(line, isX);
    }

private:
    ReadResult applyLine(const QString& line, bool isX) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return fail(QStringLiteral("marker line \"%1\" has no colon").arg(line.left(60)));
        int32_t n = 0;
        int32_t value = 0;
        if (colon < 5 || !toInteger(line.mid(5, colon - 5), n) || n < 1 || n > MarkerEntries)
            return fail(QStringLiteral("marker line \"%1\": no marker number 1..%2")
                            .arg(line.left(60))
                            .arg(MarkerEntries));
        if (!toInteger(line.mid(colon + 1), value))
            return fail(QStringLiteral("marker line \"%1\": the position is not a 32-bit number")
                            .arg(line.left(60)));
        Marker730& m = entries[static_cast<size_t>(n - 1)];
        if (isX)
            m.Position = value;
        else if (!checkedAdd(value, int32_t{1}, m.Sample))
            return fail(QStringLiteral("marker line \"%1\": the sample does not fit 32 bits")
                            .arg(line.left(60)));
        return ReadResult::success();
    }
};

// One hexadecimal byte a line ("3F"); blanks around it are allowed.
bool hexByte(QByteArrayView line, uchar& out) {
    line = line.trimmed();
    if (line.isEmpty() || line.size() > 8)
        return false;
    unsigned v = 0;
    for (const char c : line) {
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0)
            return false;
        v = v * 16 + static_cast<unsigned>(d);
    }
    if (v > 255)
        return false;
    out = static_cast<uchar>(v);
    return true;
}

// Sample 0 and the 512 samples of 256 three-byte groups of one record.
void decodeRecord(const uchar* rec, int16_t* x) {
    x[0] = rec[0];
    for (int g = 0; g < 256; ++g) {
        const uchar* b = rec + 1 + 3 * g;
        x[1 + 2 * g] = static_cast<int16_t>((b[0] >> 4) * 256 + b[1]);
        x[2 + 2 * g] = static_cast<int16_t>((b[0] & 15) * 256 + b[2]);
    }
}

} // namespace

ReadResult ReadText730(MeasurementRecord& r, const ReadContext&) {
    // 1, 2.
    r.ColorCode = 0;
    r.Direction = 1;
    QFile f(r.FilePath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ReadResult::systemFailure(QStringLiteral("the file cannot be opened"),
                                         f.errorString());
    const qint64 length = f.size();
    LineReader in(f);
    QByteArrayView bytes;
    qint64 lineBytes = 0;
    if (!in.next(bytes, lineBytes))
        return endOfInput(in, "before its first line");
    QString line = decodeSystemText(bytes.toByteArray());
    qint64 headerBytes = lineBytes;
    if (!line.contains(Signature))
        return ReadResult::failure(
            FailureKind::NotMeasurementFile,
            QStringLiteral("the first line does not hold \"%1\"").arg(Signature));

    // 3. The header lines up to the one that begins with "END". Marker lines (line 1 on) are
    // collected on the way and take effect once the samples are read (step 8), the first bad
    // one failing the read there.
    MarkerLines markers;
    markers.apply(line);
    for (;;) {
        if (!in.next(bytes, lineBytes))
            return endOfInput(in, "before the END line");
        headerBytes += lineBytes;
        line = decodeSystemText(bytes.toByteArray());
        const Prefix* p = matchPrefix(line);
        if (p && p->key == Key::End)
            break;
        markers.apply(line);
        if (!p)
            continue;
        if (ReadResult res = applyHeaderLine(r, line, *p); !res)
            return res;
    }

    // 4. The records must all be in the stream before anything is allocated.
    const int32_t n = r.TraceCount;
    if (n < 1)
        return fail(QStringLiteral("the header announces %1 traces; a measurement has at least "
                                   "one")
                        .arg(n));
    const qint64 streamBytes = (qint64(n) + 2) * RecordBytes;
    const bool hex = r.FileName.startsWith(QLatin1Char('T'), Qt::CaseInsensitive);
    const qint64 after = length - headerBytes;
    // Binary: the stream after the gap; text: at least a digit and a line end a byte.
    if ((!hex && after - StreamGap < streamBytes) || (hex && after < 2 * streamBytes - 1))
        return ReadResult::failure(FailureKind::CountBeyondFile,
                                   QStringLiteral("%1 traces need %2 bytes of samples, the file "
                                                  "holds fewer")
                                       .arg(n)
                                       .arg(streamBytes));
    if (!r.Raw730.allocate(-1, n, Family730::RawLast) ||
        !r.Samples730.allocate(-1, n, Family730::DDLast) ||
        !r.Work730.allocate(1, n, Family730::RawLast) ||
        !r.Work730x2.allocate(1, n, Family730::DDLast))
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));
    // The buffer has room for one byte more than the records; that byte is never decoded.
    const qint64 bufferBytes = streamBytes + 1;
    std::unique_ptr<uchar[]> buf(new (std::nothrow) uchar[size_t(bufferBytes)]);
    if (!buf)
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));

    // 5. The stream.
    if (!hex) {
        if (!f.seek(headerBytes + StreamGap) ||
            f.read(reinterpret_cast<char*>(buf.get()), streamBytes) != streamBytes)
            return ReadResult::systemFailure(QStringLiteral("the sample records cannot be read"),
                                             f.errorString());
    } else {
        // The bytes follow the first line that is "END" in any case: the header's last line, or
        // a later one when that line only began with "END".
        if (line.compare(QLatin1String("END"), Qt::CaseInsensitive) != 0) {
            for (;;) {
                if (!in.next(bytes, lineBytes))
                    return endOfInput(in, "before a line END");
                if (bytes.size() == 3 &&
                    QByteArray(bytes.data(), 3).toUpper() == QByteArrayView("END"))
                    break;
            }
        }
        qint64 count = 0;
        while (in.next(bytes, lineBytes)) {
            if (count == bufferBytes)
                return fail(QStringLiteral("more hexadecimal lines than %1 traces hold").arg(n));
            if (!hexByte(bytes, buf[size_t(count)]))
                return fail(
                    QStringLiteral("hexadecimal line %1 (\"%2\") is not one byte")
                        .arg(count + 1)
                        .arg(QString::fromLatin1(
                            bytes.first(std::min<qsizetype>(bytes.size(), 20)).toByteArray())));
            ++count;
        }
        if (in.readError() || in.tooLong())
            return endOfInput(in, "inside the hexadecimal lines");
        if (count < streamBytes)
            return ReadResult::failure(FailureKind::CountBeyondFile,
                                       QStringLiteral("%1 hexadecimal lines, %2 traces need %3")
                                           .arg(count)
                                           .arg(n)
                                           .arg(streamBytes));
    }
    f.close();

    // 6. Trace 0 and -1 only when their records carry their status bytes.
    const uchar* rec = buf.get();
    if (rec[0] == 255)
        decodeRecord(rec, r.Raw730.trace(0));
    if (rec[RecordBytes] == 64)
        decodeRecord(rec + RecordBytes, r.Raw730.trace(-1));
    for (int32_t k = 1; k <= n; ++k) {
        int16_t* x = r.Raw730.trace(k);
        decodeRecord(rec + (qint64(k) + 1) * RecordBytes, x);
        if (x[0] == 16 || x[0] == 48)
            r.ProcessingLine = k;
    }
    buf.reset();

    // 7. Double density.
    int bad = 0;
    if (!DoubleDensityPass<Family730>(r.Raw730, r.Samples730, nullptr, nullptr, -1, n, &bad))
        return fail(QStringLiteral("trace %1: a sum of two samples leaves 16 bits").arg(bad));

    // 8. The markers of the header.
    if (!markers.result)
        return markers.result;
    r.Markers730 = std::move(markers.entries);
    return ReadResult::success();
}

} // namespace rebar
