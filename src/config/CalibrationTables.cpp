#include "config/CalibrationTables.h"

#include "base/Numeric.h"
#include "base/QuotedFields.h"
#include "config/SystemPaths.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

namespace rebar {

QString CalibrationFiles::depth940(int e) {
    return QStringLiteral("940/DepthTable/DepthTable_%1.csv").arg(e, 3, 10, QLatin1Char('0'));
}

namespace {

constexpr int Amplitudes = 65536;              // rows of every ColorTable940 column
constexpr qint64 MaxTableFileBytes = 64 << 20; // far above any table; guards the allocation

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// One colour CSV in memory, read a line at a time.
class ColorCursor {
public:
    // Checks the header line (exactly three fields) and stands on the first colour line.
    bool start(const std::vector<char>& text) {
        m_p = text.data();
        m_end = m_p + text.size();
        int fields = 1;
        while (m_p < m_end && *m_p != '\n')
            fields += *m_p++ == ',';
        if (m_p < m_end)
            ++m_p;
        return fields == 3;
    }

    bool exhausted() const { return m_p >= m_end; }

    // Reads the line "red,green,blue" (components 0..255) into out.
    bool readLine(QRgb& out) {
        int32_t c[3];
        for (int k = 0; k < 3; ++k) {
            const char* s = m_p;
            while (m_p < m_end && *m_p != ',' && *m_p != '\n')
                ++m_p;
            const bool atComma = m_p < m_end && *m_p == ',';
            if (atComma != (k < 2))
                return false;
            if (!component(s, m_p, c[k]))
                return false;
            if (m_p < m_end)
                ++m_p;
        }
        out = qRgb(c[0], c[1], c[2]);
        return true;
    }

    // True when nothing but blanks and line ends follows the last colour line.
    bool atEnd() const {
        for (const char* q = m_p; q < m_end; ++q)
            if (!isBlank(*q) && *q != '\n')
                return false;
        return true;
    }

private:
    static bool component(const char* b, const char* e, int32_t& v) {
        if (e > b && e[-1] == '\r')
            --e;
        // Fast path: one to three digits and nothing else.
        if (e > b && e - b <= 3) {
            int32_t x = 0;
            const char* q = b;
            for (; q < e && static_cast<unsigned>(*q - '0') < 10; ++q)
                x = x * 10 + (*q - '0');
            if (q == e) {
                v = x;
                return x <= 255;
            }
        }
        return QuotedFields::toInteger(QByteArrayView(b, e - b), v) && v >= 0 && v <= 255;
    }

    const char* m_p = nullptr;
    const char* m_end = nullptr;
};

// ---- the loader ----------------------------------------------------------------------------

class Loader {
public:
    Loader(const QString& systemDataDir, QString* error) : m_dir(systemDataDir), m_error(error) {}

    QString path(const QString& relative) const { return QDir(m_dir).filePath(relative); }
    QString path(const char* relative) const { return path(QString::fromLatin1(relative)); }

    bool fail(const QString& file, const QString& problem) {
        if (m_error)
            *m_error = QDir::toNativeSeparators(file) + QStringLiteral(": ") + problem;
        return false;
    }

    // Reads the whole file into buf.
    bool readWhole(const QString& file, std::vector<char>& buf) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return fail(file, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
        const qint64 size = f.size();
        if (size > MaxTableFileBytes)
            return fail(file, QStringLiteral("is too large (%1 bytes)").arg(size));
        buf.resize(static_cast<size_t>(size));
        if (size > 0 && f.read(buf.data(), size) != size)
            return fail(file, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
        return true;
    }

    // The first count little-endian 32-bit floats of a binary file; every one must be finite.
    bool readBinary(const QString& file, float* out, int count) {
        if (!readWhole(file, m_buf))
            return false;
        const size_t need = static_cast<size_t>(count) * sizeof(float);
        if (m_buf.size() < need)
            return fail(
                file, QStringLiteral("is %1 bytes long, %2 expected").arg(m_buf.size()).arg(need));
        for (int k = 0; k < count; ++k) {
            uint32_t bits;
            std::memcpy(&bits, m_buf.data() + 4 * k, 4);
            if constexpr (std::endian::native == std::endian::big)
                bits = __builtin_bswap32(bits);
            out[k] = std::bit_cast<float>(bits);
            if (!std::isfinite(out[k]))
                return fail(file, QStringLiteral("value %1 is not a finite number").arg(k));
        }
        return true;
    }

    // Exactly count numeric fields of a text file (separated by commas or line ends), each
    // parsed as a 32-bit float.
    bool readTextNumbers(const QString& file, float* out, int count) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return fail(file, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
        QuotedFields fields(f);
        QByteArrayView v;
        int k = 0;
        for (; fields.next(v); ++k) {
            if (k >= count)
                return fail(file, QStringLiteral("holds more than %1 values").arg(count));
            if (!QuotedFields::toSingle(v, out[k]))
                return fail(file, QStringLiteral("value %1 is not a number: \"%2\"")
                                      .arg(k)
                                      .arg(QString::fromLatin1(v)));
        }
        if (fields.readError())
            return fail(file, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
        if (k < count)
            return fail(file, QStringLiteral("holds %1 values, %2 expected").arg(k).arg(count));
        return true;
    }

    // A binary table of integers: rounded (halves to even) and each within lo..hi.
    template <size_t N>
    bool readIntegers(const QString& file, std::array<int32_t, N>& out, int32_t lo, int32_t hi,
                      const char* what) {
        std::array<float, N> v;
        if (!readBinary(file, v.data(), static_cast<int>(N)))
            return false;
        for (size_t k = 0; k < N; ++k)
            if (!roundTo(static_cast<double>(v[k]), out[k]) || out[k] < lo || out[k] > hi)
                return fail(file, QStringLiteral("value %1 (%2) is not %3 %4..%5")
                                      .arg(k)
                                      .arg(v[k])
                                      .arg(QLatin1String(what))
                                      .arg(lo)
                                      .arg(hi));
        return true;
    }

    bool palettes730(CalibrationTables& t) {
        std::array<int32_t, CalibrationFiles::Palette730Values> v;
        if (!readIntegers(path(CalibrationFiles::Palette730), v, 0, 255, "a colour component"))
            return false;
        t.ColorPalette730[0] = t.GreyPalette730[0] = qRgb(0, 0, 0);
        for (int k = 1; k <= 128; ++k) {
            t.ColorPalette730[k] = qRgb(v[k - 1], v[127 + k], v[255 + k]);
            const int g = v[383 + k];
            t.GreyPalette730[k] = qRgb(g, g, g);
        }
        return true;
    }

    bool levels730(CalibrationTables& t) {
        // The reversed offset column filled from each level file, or -1.
        constexpr std::array<int, 5> reversedColumn = {-1, -1, -1, 10, 11};
        for (size_t f = 0; f < CalibrationFiles::Levels730.size(); ++f) {
            std::array<int32_t, CalibrationFiles::Levels730Values> v;
            if (!readIntegers(path(CalibrationFiles::Levels730[f]), v, 0, 128, "a palette index"))
                return false;
            auto& absolute = t.LevelTable730[2 * f];
            auto& offset = t.LevelTable730[2 * f + 1];
            for (int L = 1; L <= 256; ++L) {
                absolute[L] = L <= 128 ? v[384 - L] : v[L + 127];
                offset[L] = v[L - 1];
            }
            if (reversedColumn[f] >= 0)
                for (int L = 1; L <= 256; ++L)
                    t.LevelTable730[reversedColumn[f]][L] = v[256 - L];
        }
        return true;
    }

    bool stc730(CalibrationTables& t) {
        if (!readBinary(path(CalibrationFiles::Stc730), t.StcGain730.data(),
                        static_cast<int>(t.StcGain730.size())))
            return false;
        for (int k = 0; k < 512; ++k)
            t.StcGain730Half[k] = t.StcGain730[2 * k];
        return true;
    }

    bool depth730(CalibrationTables& t) {
        const QString list = path(CalibrationFiles::DepthList730);
        QFile listFile(list);
        if (!listFile.open(QIODevice::ReadOnly))
            return fail(list, QStringLiteral("cannot be read (%1)").arg(listFile.errorString()));
        QStringList files;
        QuotedFields fields(listFile);
        QByteArrayView f;
        while (fields.next(f)) {
            if (f.isEmpty())
                return fail(list, QStringLiteral("entry %1 is empty").arg(files.size()));
            files.append(storedPath(QString::fromLocal8Bit(f)));
        }
        if (fields.readError())
            return fail(list, QStringLiteral("cannot be read (%1)").arg(listFile.errorString()));
        if (files.size() != CalibrationTables::PermittivityCount)
            return fail(list, QStringLiteral("names %1 depth files, %2 expected")
                                  .arg(files.size())
                                  .arg(CalibrationTables::PermittivityCount));
        constexpr int stride = CalibrationFiles::Depth730Values + 1;
        t.DepthTable730.assign(static_cast<size_t>(CalibrationTables::PermittivityCount) * stride,
                               0.0f);
        for (int k = 0; k < CalibrationTables::PermittivityCount; ++k)
            if (!readBinary(files[k], t.DepthTable730.data() + k * stride + 1,
                            CalibrationFiles::Depth730Values))
                return false;
        return true;
    }

    bool stc940(CalibrationTables& t) {
        std::array<float, CalibrationFiles::Stc940Values> v;
        if (!readTextNumbers(path(CalibrationFiles::Stc940), v.data(), static_cast<int>(v.size())))
            return false;
        for (size_t k = 0; k < v.size(); ++k)
            t.StcGain940[k] = t.StcGain940x2[2 * k] = t.StcGain940x2[2 * k + 1] = v[k];
        return true;
    }

    bool depth940(CalibrationTables& t) {
        constexpr int stride = 2 * CalibrationFiles::Depth940Values + 1;
        t.DepthTable940.assign(static_cast<size_t>(CalibrationTables::PermittivityCount) * stride,
                               0.0);
        std::array<float, CalibrationFiles::Depth940Values> v;
        for (int k = 0; k < CalibrationTables::PermittivityCount; ++k) {
            const int e = CalibrationTables::FirstPermittivityIndex + k;
            if (!readTextNumbers(path(CalibrationFiles::depth940(e)), v.data(),
                                 static_cast<int>(v.size())))
                return false;
            double* row = t.DepthTable940.data() + k * stride;
            for (size_t m = 0; m < v.size(); ++m)
                row[2 * m + 1] = row[2 * m + 2] = v[m];
        }
        return true;
    }

    bool colors940(std::vector<QRgb>& table) {
        constexpr size_t files = CalibrationFiles::Colors940.size();
        std::array<std::vector<char>, files> text;
        std::array<ColorCursor, files> cursor;
        for (size_t f = 0; f < files; ++f) {
            if (!readWhole(path(CalibrationFiles::Colors940[f]), text[f]))
                return false;
            if (!cursor[f].start(text[f]))
                return fail(path(CalibrationFiles::Colors940[f]),
                            QStringLiteral("the header line must have exactly three fields"));
        }
        table.assign(12 * static_cast<size_t>(Amplitudes), 0);
        // One pass over all files: one line of each per amplitude.
        for (int u = 0; u < Amplitudes; ++u)
            for (size_t f = 0; f < files; ++f)
                if (!cursor[f].readLine(table[f * Amplitudes + u]))
                    return fail(path(CalibrationFiles::Colors940[f]),
                                cursor[f].exhausted()
                                    ? QStringLiteral("ends after %1 colour lines, %2 expected")
                                          .arg(u)
                                          .arg(Amplitudes)
                                    : QStringLiteral("line %1 is not three colour components "
                                                     "0..255")
                                          .arg(u + 2));
        for (size_t f = 0; f < files; ++f)
            if (!cursor[f].atEnd())
                return fail(path(CalibrationFiles::Colors940[f]),
                            QStringLiteral("holds more than %1 colour lines").arg(Amplitudes));
        // Columns 10 and 11: columns 8 and 9 with the amplitude axis mirrored (a -> -1 - a).
        for (int c = 10; c <= 11; ++c) {
            const QRgb* from = table.data() + (c - 2) * Amplitudes;
            QRgb* to = table.data() + c * Amplitudes;
            for (int u = 0; u < Amplitudes; ++u)
                to[u] = from[Amplitudes - 1 - u];
        }
        return true;
    }

private:
    // A path stored relative to the program folder ("\SystemData\730\Depth\Depth_020.dat"):
    // resolveProgramPath places it under the program's own SystemData folder; it is re-anchored
    // on the folder being loaded, so a copied SystemData reads its own files.
    QString storedPath(const QString& stored) const {
        const QString resolved = resolveProgramPath(stored);
        return QDir(m_dir).filePath(QDir(systemDataDir()).relativeFilePath(resolved));
    }

    QString m_dir;
    QString* m_error;
    std::vector<char> m_buf; // reused by every file read one at a time
};

} // namespace

bool LoadColorTable940(CalibrationTables& t, const QString& systemDataDir, QString* error) {
    std::vector<QRgb> table;
    if (!Loader(systemDataDir, error).colors940(table))
        return false;
    t.ColorTable940 = std::move(table);
    return true;
}

bool LoadCalibrationTables(CalibrationTables& t, const QString& systemDataDir, QString* error) {
    auto loaded = std::make_unique<CalibrationTables>();
    Loader loader(systemDataDir, error);
    if (!loader.palettes730(*loaded) || !loader.levels730(*loaded) || !loader.stc730(*loaded) ||
        !loader.depth730(*loaded) || !loader.colors940(loaded->ColorTable940) ||
        !loader.stc940(*loaded) || !loader.depth940(*loaded))
        return false;
    loaded->loaded = true;
    t = std::move(*loaded);
    return true;
}

} // namespace rebar
