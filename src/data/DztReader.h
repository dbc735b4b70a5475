#pragma once
// DZT files of other makers' radar units: one 1024-byte header block per channel, then the
// scans, each holding one trace per channel in channel order, little-endian samples of 8, 16
// or 32 bits. The reader takes the file into memory in one read, checks the header blocks and
// the layout against the file's size, and hands out the traces of one channel with their two
// leading non-radar words (a sync word and the mark word) kept apart from the echo samples.
// What a file states beyond the layout (scans per metre, time window, permittivity, dates) is
// kept as read; deciding what to make of it is the import's business.

#include "data/ReadResult.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace rebar {

// A packed date of a header: seconds / 2 in bits 0..4, minutes 5..10, hours 11..15, day
// 16..20, month 21..24, years since 1980 from bit 25 on.
struct DztDate {
    int year = 0;
    int month = 0; // 0: no date
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    static DztDate decode(uint32_t packed);
    static uint32_t encode(const QDateTime& t);
    bool isSet() const { return month != 0; }
    // True when every part lies in its range (an unset date is not valid).
    bool isValid() const;
    QDateTime toDateTime() const; // invalid unless isValid()
};

// The fields of one header block.
struct DztHeader {
    uint16_t Tag = 0;
    uint16_t DataCode = 0; // data offset: 1024-byte blocks below 1024, else 1024 x channels
    uint16_t Samples = 0;  // per trace, counting the two leading words
    uint16_t Bits = 0;
    int16_t Zero = 0; // stated binary offset; never used to decode
    float ScansPerSecond = 0;
    float ScansPerMetre = 0; // 0: scans triggered by time
    float MetresPerMark = 0;
    float PositionNs = 0; // time offset of the recording window, as stated
    float RangeNs = 0;    // two-way time window of one trace
    uint16_t Passes = 0;
    uint32_t Created = 0;
    uint32_t Modified = 0;
    uint16_t Channels = 0;
    float Permittivity = 0;
    float TopM = 0;
    float DepthM = 0;
    QString Antenna;      // up to the first NUL, control characters replaced
    QString OriginalName; // the file name the unit gave the file
    QString Comment;      // empty when the block's text section is missing or misplaced
    uint16_t Checksum = 0;
};

// A scan whose mark word carries a mark code (0xE0..0xEF in the word's top byte).
struct DztMark {
    int64_t scan = 0; // 0-based
    uint8_t code = 0;
};

namespace DztLayout {
constexpr int BlockSize = 1024;
constexpr int LeadingWords = 2;    // sync word and mark word in front of every trace
constexpr int GpsAreaStart = 944;  // two 40-byte GPS records at the end of a block
constexpr float MaxRangeNs = 1e6f; // larger time windows are not radar data
constexpr float MaxScansPerMetre = 1e5f;
constexpr int ChecksumOffset = 126;
// Field offsets inside a block.
constexpr int OffTag = 0, OffData = 2, OffSamples = 4, OffBits = 6, OffZero = 8, OffSps = 10,
              OffSpm = 14, OffMpm = 18, OffPosition = 22, OffRange = 26, OffPasses = 30,
              OffCreated = 32, OffModified = 36, OffRgain = 40, OffNrgain = 42, OffText = 44,
              OffNtext = 46, OffProc = 48, OffNproc = 50, OffChannels = 52, OffEpsr = 54,
              OffTop = 58, OffDepth = 62, OffAntenna = 98, LenAntenna = 14, OffName = 114,
              LenName = 12;
// The checksum of a block: the wrapping sum of its 512 words with the checksum word as 0.
uint16_t checksum(const char* block);
} // namespace DztLayout

class DztFile {
public:
    // Reads the file at path with one read and checks it.
    ReadResult read(const QString& path);
    // Checks the bytes of a whole file and keeps them.
    ReadResult parse(QByteArray bytes);

    int channels() const { return static_cast<int>(m_headers.size()); }
    int samples() const { return m_samples; }
    int bits() const { return m_bits; }
    int64_t scans() const { return m_scans; }
    int64_t dataOffset() const { return m_offset; }
    // The header block of channel 0..channels() - 1; block 0 holds the global settings.
    const DztHeader& header(int channel = 0) const {
        return m_headers[static_cast<size_t>(channel)];
    }
    // What is odd about the file but does not stop it being read.
    const QStringList& warnings() const { return m_warnings; }

    // The samples of one trace, centred on zero (8- and 16-bit samples are offset binary,
    // 32-bit samples signed), with the two leading words set to 0; out takes samples() values.
    void trace(int channel, int64_t scan, int32_t* out) const;
    void trace(int channel, int64_t scan, float* out) const;
    // Leading word 0 (sync) or 1 (marks) of a trace, as stored.
    uint32_t word(int channel, int64_t scan, int index) const;
    // The marked scans of a channel. known is false (and the list empty) when the mark words
    // follow no known pattern, as in processed files that overwrite them.
    std::vector<DztMark> marks(int channel, bool* known = nullptr) const;

private:
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    // A block for the file's bytes; large ones come as fresh zero pages the system may back
    // with large pages, which saves most of the faults of filling them.
    bool allocate(int64_t size);
    ReadResult parseBytes();
    ReadResult parseBlock(int index, DztHeader& h);
    template <typename T> void decode(int channel, int64_t scan, T* out) const;
    const char* traceBytes(int channel, int64_t scan) const;

    std::unique_ptr<char[], Free> m_bytes;
    int64_t m_size = 0;
    std::vector<DztHeader> m_headers;
    int m_samples = 0;
    int m_bits = 0;
    int64_t m_offset = 0;
    int64_t m_scans = 0;
    QStringList m_warnings;
};

} // namespace rebar
