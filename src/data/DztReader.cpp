#include "data/DztReader.h"

#include <QFile>
#include <limits>
#if defined(__linux__)
#include <sys/mman.h>
#endif
#include <bit>
#include <cmath>
#include <cstring>
#include <tuple>
#include <type_traits>

namespace rebar {

using namespace DztLayout;

namespace {

template <typename T> T getLE(const char* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    if constexpr (std::endian::native == std::endian::big && sizeof(T) > 1) {
        using U = std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>;
        U u;
        std::memcpy(&u, &v, sizeof u);
        if constexpr (sizeof(U) == 2)
            u = __builtin_bswap16(u);
        else
            u = __builtin_bswap32(u);
        std::memcpy(&v, &u, sizeof v);
    }
    return v;
}

// Text of a fixed field or section: up to the first NUL, every control character replaced by
// a blank, surrounding blanks dropped.
QString fieldText(const char* p, int length) {
    int n = 0;
    while (n < length && p[n] != '\0')
        ++n;
    QByteArray b(p, n);
    for (char& c : b)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    return QString::fromLatin1(b).trimmed();
}

bool allZero(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

} // namespace

// ---- Dates -----------------------------------------------------------------------------------

DztDate DztDate::decode(uint32_t v) {
    DztDate d;
    d.second = static_cast<int>(v & 0x1F) * 2;
    d.minute = static_cast<int>((v >> 5) & 0x3F);
    d.hour = static_cast<int>((v >> 11) & 0x1F);
    d.day = static_cast<int>((v >> 16) & 0x1F);
    d.month = static_cast<int>((v >> 21) & 0x0F);
    d.year = static_cast<int>(v >> 25) + 1980;
    return d;
}

uint32_t DztDate::encode(const QDateTime& t) {
    if (!t.isValid() || t.date().year() < 1980 || t.date().year() > 1980 + 127)
        return 0;
    const QDate d = t.date();
    const QTime c = t.time();
    return static_cast<uint32_t>(d.year() - 1980) << 25 | static_cast<uint32_t>(d.month()) << 21 |
           static_cast<uint32_t>(d.day()) << 16 | static_cast<uint32_t>(c.hour()) << 11 |
           static_cast<uint32_t>(c.minute()) << 5 | static_cast<uint32_t>(c.second() / 2);
}

bool DztDate::isValid() const {
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 &&
           second < 60 && QDate::isValid(year, month, day);
}

QDateTime DztDate::toDateTime() const {
    if (!isValid())
        return {};
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

// ---- Header blocks ---------------------------------------------------------------------------

uint16_t DztLayout::checksum(const char* block) {
    uint16_t sum = 0;
    for (int i = 0; i < BlockSize; i += 2)
        if (i != ChecksumOffset)
            sum = static_cast<uint16_t>(sum + getLE<uint16_t>(block + i));
    return sum;
}

bool DztFile::allocate(int64_t size) {
    m_bytes.reset();
    m_size = 0;
    if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max() / 2)
        return false;
    char* p = static_cast<char*>(std::calloc(static_cast<size_t>(size) + 1, 1));
    if (!p)
        return false;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t Page = 4096;
    if (size >= (int64_t{4} << 20)) {
        const auto begin = (reinterpret_cast<std::uintptr_t>(p) + Page - 1) & ~(Page - 1);
        const auto end =
            (reinterpret_cast<std::uintptr_t>(p) + static_cast<size_t>(size)) & ~(Page - 1);
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE); // a hint only
    }
#endif
    m_bytes.reset(p);
    m_size = size;
    return true;
}

ReadResult DztFile::read(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ReadResult::systemFailure(QStringLiteral("the file cannot be opened"),
                                         f.errorString());
    const qint64 size = f.size();
    if (size < BlockSize)
        return ReadResult::failure(
            FailureKind::Truncated,
            QStringLiteral("the file holds %1 bytes, less than one 1024-byte header").arg(size));
    if (!allocate(size))
        return ReadResult::failure(QStringLiteral("not enough memory for %1 bytes").arg(size));
    if (f.read(m_bytes.get(), size) != size)
        return ReadResult::systemFailure(QStringLiteral("the file cannot be read"),
                                         f.errorString());
    return parseBytes();
}

ReadResult DztFile::parseBlock(int index, DztHeader& h) {
    const char* b = m_bytes.get() + static_cast<qsizetype>(index) * BlockSize;
    h.Tag = getLE<uint16_t>(b + OffTag);
    h.DataCode = getLE<uint16_t>(b + OffData);
    h.Samples = getLE<uint16_t>(b + OffSamples);
    h.Bits = getLE<uint16_t>(b + OffBits);
    h.Zero = getLE<int16_t>(b + OffZero);
    h.ScansPerSecond = getLE<float>(b + OffSps);
    h.ScansPerMetre = getLE<float>(b + OffSpm);
    h.MetresPerMark = getLE<float>(b + OffMpm);
    h.PositionNs = getLE<float>(b + OffPosition);
    h.RangeNs = getLE<float>(b + OffRange);
    h.Passes = getLE<uint16_t>(b + OffPasses);
    h.Created = getLE<uint32_t>(b + OffCreated);
    h.Modified = getLE<uint32_t>(b + OffModified);
    h.Channels = getLE<uint16_t>(b + OffChannels);
    h.Permittivity = getLE<float>(b + OffEpsr);
    h.TopM = getLE<float>(b + OffTop);
    h.DepthM = getLE<float>(b + OffDepth);
    h.Antenna = fieldText(b + OffAntenna, LenAntenna);
    h.OriginalName = fieldText(b + OffName, LenName);
    h.Checksum = getLE<uint16_t>(b + ChecksumOffset);

    const QString where = QStringLiteral("header %1: ").arg(index + 1);
    if ((h.Tag & 0xFF) != 0xFF || (h.Tag >> 8) != index)
        m_warnings << where + QStringLiteral("tag 0x%1 is not the usual one")
                                  .arg(h.Tag, 4, 16, QLatin1Char('0'));
    if (h.Checksum != 0 && checksum(b) != h.Checksum)
        m_warnings << where + QStringLiteral("checksum does not match");

    // Sections of the variable area; one that does not lie inside the block is ignored.
    const int limit =
        allZero(b + GpsAreaStart, BlockSize - GpsAreaStart) ? BlockSize : GpsAreaStart;
    const int textAt = getLE<uint16_t>(b + OffText);
    const int textSize = getLE<uint16_t>(b + OffNtext);
    if (textSize > 0) {
        if (textAt + textSize <= limit)
            h.Comment = fieldText(b + textAt, textSize);
        else
            m_warnings << where + QStringLiteral("the comment text lies outside the header");
    }
    for (const auto& [off, sizeOff, what] : {std::tuple{OffRgain, OffNrgain, "range-gain table"},
                                             std::tuple{OffProc, OffNproc, "processing history"}}) {
        const int at = getLE<uint16_t>(b + off);
        const int n = getLE<uint16_t>(b + sizeOff);
        if (n > 0 && at + n > limit)
            m_warnings << where + QStringLiteral("the %1 lies outside the header").arg(what);
    }
    for (const auto& [packed, what] :
         {std::pair{h.Created, "creation"}, std::pair{h.Modified, "modification"}}) {
        const DztDate d = DztDate::decode(packed);
        if (packed != 0 && !d.isValid())
            m_warnings << where + QStringLiteral("the %1 date is not a date").arg(what);
    }
    return ReadResult::success();
}

ReadResult DztFile::parse(QByteArray bytes) {
    if (!allocate(bytes.size()))
        return ReadResult::failure(
            QStringLiteral("not enough memory for %1 bytes").arg(bytes.size()));
    std::memcpy(m_bytes.get(), bytes.constData(), static_cast<size_t>(bytes.size()));
    return parseBytes();
}

ReadResult DztFile::parseBytes() {
    m_headers.clear();
    m_warnings.clear();
    const int64_t size = m_size;
    if (size < BlockSize)
        return ReadResult::failure(
            FailureKind::Truncated,
            QStringLiteral("the file holds %1 bytes, less than one 1024-byte header").arg(size));

    DztHeader first;
    parseBlock(0, first);
    const int channels = first.Channels;
    if (channels < 1)
        return ReadResult::failure(QStringLiteral("header: the file states no channel"));
    if (channels > 4)
        m_warnings << QStringLiteral("%1 channels; units so far recorded at most 4").arg(channels);
    const int64_t headerBytes = int64_t{BlockSize} * channels;
    m_offset = first.DataCode < 1024 ? int64_t{BlockSize} * first.DataCode : headerBytes;
    if (m_offset < headerBytes)
        return ReadResult::failure(
            QStringLiteral("header: the data starts at byte %1, inside the %2 header blocks")
                .arg(m_offset)
                .arg(channels));
    if (m_offset > size)
        return ReadResult::failure(
            FailureKind::CountBeyondFile,
            QStringLiteral("header: the data starts at byte %1 but the file holds %2 bytes")
                .arg(m_offset)
                .arg(size));

    m_headers.resize(static_cast<size_t>(channels));
    m_headers[0] = first;
    for (int c = 1; c < channels; ++c)
        parseBlock(c, m_headers[static_cast<size_t>(c)]);

    const DztHeader& h = m_headers[0];
    if (h.Bits != 8 && h.Bits != 16 && h.Bits != 32)
        return ReadResult::failure(
            QStringLiteral("header: %1 bits per sample; 8, 16 or 32 are known").arg(h.Bits));
    if (h.Samples < LeadingWords + 1)
        return ReadResult::failure(
            QStringLiteral("header: %1 samples per trace leave no radar data").arg(h.Samples));
    if (!std::has_single_bit(static_cast<unsigned>(h.Samples)))
        m_warnings << QStringLiteral("%1 samples per trace is not a power of two").arg(h.Samples);
    for (int c = 1; c < channels; ++c) {
        const DztHeader& o = m_headers[static_cast<size_t>(c)];
        if (o.Samples != h.Samples || o.Bits != h.Bits)
            return ReadResult::failure(
                QStringLiteral("header %1: %2 samples of %3 bits, header 1 states %4 of %5")
                    .arg(c + 1)
                    .arg(o.Samples)
                    .arg(o.Bits)
                    .arg(h.Samples)
                    .arg(h.Bits));
    }
    m_samples = h.Samples;
    m_bits = h.Bits;

    if (!std::isfinite(h.RangeNs) || h.RangeNs <= 0 || h.RangeNs > MaxRangeNs)
        return ReadResult::failure(
            QStringLiteral("header: a time window of %1 ns is not a radar trace").arg(h.RangeNs));
    if (!std::isfinite(h.ScansPerSecond) || h.ScansPerSecond < 0)
        return ReadResult::failure(
            QStringLiteral("header: %1 scans per second is not a scan rate").arg(h.ScansPerSecond));
    if (!std::isfinite(h.ScansPerMetre) || h.ScansPerMetre < 0 ||
        h.ScansPerMetre > MaxScansPerMetre)
        return ReadResult::failure(
            QStringLiteral("header: %1 scans per metre is not a scan pitch").arg(h.ScansPerMetre));
    if (!std::isfinite(h.Permittivity) || h.Permittivity < 1)
        m_warnings
            << QStringLiteral("the permittivity %1 is not one of a material").arg(h.Permittivity);

    const int64_t scanBytes = int64_t{channels} * m_samples * (m_bits / 8);
    const int64_t dataBytes = size - m_offset;
    m_scans = dataBytes / scanBytes;
    if (m_scans < 1)
        return ReadResult::failure(
            FailureKind::Truncated,
            QStringLiteral("the file holds %1 bytes of data, less than one scan of %2 bytes")
                .arg(dataBytes)
                .arg(scanBytes));
    if (const int64_t rest = dataBytes % scanBytes; rest != 0)
        m_warnings
            << QStringLiteral("the last %1 bytes are not a whole scan and are left out").arg(rest);
    return ReadResult::success();
}

// ---- Traces ----------------------------------------------------------------------------------

const char* DztFile::traceBytes(int channel, int64_t scan) const {
    const int64_t bytes = m_bits / 8;
    return m_bytes.get() + m_offset + (scan * channels() + channel) * m_samples * bytes;
}

uint32_t DztFile::word(int channel, int64_t scan, int index) const {
    const char* p = traceBytes(channel, scan);
    switch (m_bits) {
    case 8:
        return static_cast<uint8_t>(p[index]);
    case 16:
        return getLE<uint16_t>(p + 2 * index);
    default:
        return getLE<uint32_t>(p + 4 * index);
    }
}

// The samples from index LeadingWords on, centred, into out; on little-endian machines four
// at a time (the compiler's vector extension), on others one by one.
template <typename T> void DztFile::decode(int channel, int64_t scan, T* out) const {
    typedef int32_t I4 __attribute__((vector_size(16)));
    typedef uint16_t U16x4 __attribute__((vector_size(8)));
    typedef uint8_t U8x4 __attribute__((vector_size(4)));
    typedef T T4 __attribute__((vector_size(16)));
    const char* p = traceBytes(channel, scan);
    out[0] = 0;
    out[1] = 0;
    const int n = m_samples;
    int i = LeadingWords;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 4 <= n; i += 4) {
            I4 w;
            if (m_bits == 8) {
                U8x4 u;
                std::memcpy(&u, p + i, sizeof u);
                w = __builtin_convertvector(u, I4) - 128;
            } else if (m_bits == 16) {
                U16x4 u;
                std::memcpy(&u, p + 2 * i, sizeof u);
                w = __builtin_convertvector(u, I4) - 32768;
            } else {
                std::memcpy(&w, p + 4 * i, sizeof w);
            }
            const T4 v = __builtin_convertvector(w, T4);
            std::memcpy(out + i, &v, sizeof v);
        }
    }
    for (; i < n; ++i) {
        switch (m_bits) {
        case 8:
            out[i] = static_cast<T>(static_cast<int32_t>(static_cast<uint8_t>(p[i])) - 128);
            break;
        case 16:
            out[i] = static_cast<T>(static_cast<int32_t>(getLE<uint16_t>(p + 2 * i)) - 32768);
            break;
        default:
            out[i] = static_cast<T>(getLE<int32_t>(p + 4 * i));
            break;
        }
    }
}

void DztFile::trace(int channel, int64_t scan, int32_t* out) const {
    decode(channel, scan, out);
}

void DztFile::trace(int channel, int64_t scan, float* out) const {
    decode(channel, scan, out);
}

std::vector<DztMark> DztFile::marks(int channel, bool* known) const {
    std::vector<DztMark> out;
    const int shift = m_bits - 8;
    for (int64_t s = 0; s < m_scans; ++s) {
        const uint32_t w = word(channel, s, 1);
        const auto top = static_cast<uint8_t>(w >> shift);
        if (top >= 0xE0 && top <= 0xEF) {
            out.push_back({s, top});
        } else if (w != 0 && top != 0xF1) {
            // Neither marked nor one of the unmarked forms: the words hold something else.
            if (known)
                *known = false;
            return {};
        }
    }
    if (known)
        *known = true;
    return out;
}

} // namespace rebar
