#include "data/ZvxReader.h"

#include "base/Numeric.h"
#include "base/TextEncoding.h"
#include "data/Family.h"
#include "data/HeldTraces.h"
#include "data/PermittivityPreset.h"
#include "data/Resample940.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <memory>

namespace rebar {

namespace {

using namespace ZvxLayout;
using H = ZvxHeader;

constexpr int R = Family940::RawLast; // 768

ReadResult fail(const QString& why) {
    return ReadResult::failure(why);
}

// A special trace record (trace 0, -1 or -3): word 0 is sample 0, words 769..1536 samples
// 1..768; the words 1..768 between them belong to no matrix.
void storeSpecial(const int16_t* w, int32_t* x) {
    x[0] = w[0];
    for (int v = 1; v <= R; ++v)
        x[v] = w[R + v];
}

// A measured trace record: word 0 is sample 0 of both matrices, words 1..768 samples 1..768
// of Raw940A and words 769..1536 samples 1..768 of Raw940.
void storeMeasured(const int16_t* w, int32_t* x, int32_t* xa) {
    x[0] = w[0];
    xa[0] = w[0];
    for (int v = 1; v <= R; ++v)
        xa[v] = w[v];
    for (int v = 1; v <= R; ++v)
        x[v] = w[R + v];
}

void readMarks(MeasurementRecord& r) {
    for (int g = 0; g < MarkGroups940; ++g)
        for (int i = 1; i <= MarksPerGroup940; ++i) {
            const int off = H::OffMarkSlots + MarkSlotOf(g, i) * H::MarkSlotSize;
            Mark940& m = r.Marks940[static_cast<size_t>(g)][static_cast<size_t>(i)];
            m.X = r.Zvx.get<int32_t>(off);
            m.Y = r.Zvx.get<int16_t>(off + 4);
            m.InUse = m.X >= 1 ? FlagTrue : FlagFalse;
        }
}

// The header fields of the record from the header image; fails when the data number does not
// fit the record's 16 bits.
ReadResult readHeaderFields(MeasurementRecord& r) {
    H& h = r.Zvx;
    r.SerialNo = decodeSystemText(h.text(H::OffSerialNo, H::LenSerialNo));
    r.MeasureDate = decodeSystemText(h.text(H::OffMeasureDate, H::LenMeasureDate));
    if (!narrow(h.get<int32_t>(H::OffDataNo), r.DataNo))
        return fail(QStringLiteral("data number %1 does not fit 16 bits")
                        .arg(h.get<int32_t>(H::OffDataNo)));
    r.XDataSize = h.get<int32_t>(H::OffStoredTraces);
    r.YDataSize = h.get<int16_t>(H::OffYDataSize);
    r.XScale = h.Bytes[H::OffXScale];
    r.XAdjust = h.get<int16_t>(H::OffXAdjust);
    const float er = h.get<float>(H::OffPermittivity);
    r.Permittivity = er;
    r.PermittivityPreset = er == 0.0f ? 7 : PermittivityPresetOf(er);
    r.Gain = static_cast<int16_t>(h.Bytes[H::OffGainStep] + 1);
    r.GainMode = h.Bytes[H::OffGainBand] == 0 ? 0 : 1;
    r.ViewRange = h.Bytes[H::OffViewRange];
    if (const int p = ZvxCodes::procCodeOf(h.Bytes[H::OffProcCode]); p >= 0)
        r.ProcCode = static_cast<int16_t>(p);
    r.PrcsAsMS = h.Bytes[H::OffPrcsAsMS];
    r.ProcessingLine = h.get<int32_t>(H::OffProcessingLine);
    r.PeakFlag = h.Bytes[H::OffPeak];
    if (const int c = ZvxCodes::colorCodeOf(h.Bytes[H::OffColorCode]); c >= 0)
        r.ColorCode = c;
    r.Handle = h.Bytes[H::OffHandle];
    // Only 1 is the normal direction; any other byte reads (and is written back) as 0.
    if (h.Bytes[H::OffDirection] == 1) {
        r.Direction = 1;
    } else {
        r.Direction = 0;
        h.Bytes[H::OffDirection] = 0;
    }
    r.XPitch = h.get<float>(H::OffXPitch);
    if (const QString u = ZvxCodes::unitOf(h.Bytes[H::OffXUnit]); !u.isEmpty())
        r.XUnit = u;
    if (const QString u = ZvxCodes::unitOf(h.Bytes[H::OffYUnit]); !u.isEmpty())
        r.YUnit = u;
    return ReadResult::success();
}

} // namespace

ReadResult ReadZvx(MeasurementRecord& r, const ReadContext& ctx) {
    QFile f(r.FilePath);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return ReadResult::systemFailure(QStringLiteral("the file cannot be opened"),
                                         f.errorString());
    const qint64 length = f.size();

    // 1. The limit of kept traces from the number of records the size suggests.
    const qint64 estimate = (length - OffMeasured) / RecordBytes;
    const int16_t maxTraces = estimate >= 6000 ? 8000 : 6000;
    if (ctx.MaxTraces)
        *ctx.MaxTraces = maxTraces;

    // 2, 3. The header image; its identifier tells the kind.
    char* header = reinterpret_cast<char*>(r.Zvx.Bytes.data());
    if (f.read(header, H::Size) != H::Size)
        return ReadResult::failure(
            FailureKind::Truncated,
            QStringLiteral("the file is shorter than its %1-byte header").arg(H::Size));
    r.FileKind = r.Zvx.get<int16_t>(H::OffIdentifier) == -3 ? KindZvx3 : KindZvx4;

    // 4. Tyre and speed options select captions of three and four entries.
    r.TireOption = r.Zvx.Bytes[H::OffTireOption];
    r.SpeedOption = r.Zvx.Bytes[H::OffSpeedOption];
    if (r.TireOption > 2)
        return fail(QStringLiteral("tyre option %1 is not one of 0..2").arg(r.TireOption));
    if (r.SpeedOption > 3)
        return fail(QStringLiteral("speed option %1 is not one of 0..3").arg(r.SpeedOption));

    // 5. The traces kept: the last MaxTraces of the stored count, so that positions count from
    // the file's first trace. A file that holds fewer records than it announces either was kept
    // from a longer measurement (this program saves a record that held the last 6000 or 8000
    // traces of a file so: the records are the last ones of the count) or was cut short (the
    // records are the first ones, and positions count from them). Nothing is read past the end
    // of the file.
    const int32_t stored = r.Zvx.get<int32_t>(H::OffStoredTraces);
    if (stored < 1)
        return fail(QStringLiteral("the header announces %1 traces; a measurement has at least "
                                   "one")
                        .arg(stored));
    if (estimate < 1)
        return ReadResult::failure(
            FailureKind::Truncated,
            QStringLiteral("the file holds no trace record (%1 bytes)").arg(length));
    HeldTraces held = LastTraces(stored, maxTraces);
    qint64 firstRecord = held.skipped; // records before the first one kept
    if (estimate < stored) {
        held.count = static_cast<int32_t>(std::min<qint64>(estimate, maxTraces));
        const bool keptFromLonger = estimate == 6000 || estimate == 8000;
        held.skipped = keptFromLonger ? stored - held.count : 0;
        firstRecord = 0;
    }
    const int32_t n = held.count;
    const qint64 areaEnd = OffMeasured + (firstRecord + n) * RecordBytes;
    r.TraceCount = n;
    r.SkippedTraces = held.skipped;

    // 6. The matrices.
    if (!r.Raw940.allocate(-3, n, R) || !r.Raw940A.allocate(-3, n, R) ||
        !r.Samples940.allocate(-3, n, Family940::DDLast) ||
        !r.Samples940A.allocate(-3, n, Family940::DDLast) || !r.Work940.allocate(1, n, R) ||
        !r.Work940x2.allocate(1, n, Family940::DDLast))
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));
    r.clearMarks940();
    r.AutoGainReady = 0;

    // 7, 8. The special records and the kept measured records, each in one read. The area
    // starts inside the header's tail, which the header image keeps as it was read.
    const qint64 specialBytes = OffMeasured - OffTrace0;
    const qint64 keptBytes = qint64(n) * RecordBytes;
    std::unique_ptr<int16_t[]> words(new (std::nothrow)
                                         int16_t[size_t((specialBytes + keptBytes) / 2)]);
    if (!words)
        return fail(QStringLiteral("not enough memory for %1 traces").arg(n));
    char* data = reinterpret_cast<char*>(words.get());
    if (!f.seek(OffTrace0) || f.read(data, specialBytes) != specialBytes ||
        !f.seek(areaEnd - keptBytes) || f.read(data + specialBytes, keptBytes) != keptBytes)
        return ReadResult::systemFailure(QStringLiteral("the trace records cannot be read"),
                                         f.errorString());
    f.close();
    auto record = [&words](qint64 offset) { return words.get() + (offset - OffTrace0) / 2; };
    storeSpecial(record(OffTrace0), r.Raw940.trace(0));
    storeSpecial(record(OffTraceMinus1), r.Raw940.trace(-1));
    storeSpecial(record(OffTraceMinus3), r.Raw940.trace(-3));
    const int16_t* w = record(OffMeasured);
    for (int32_t m = 1; m <= n; ++m, w += WordsPerRecord)
        storeMeasured(w, r.Raw940.trace(m), r.Raw940A.trace(m));
    words.reset();

    // 9, 10. Marks and header fields; marks and the processing line count the file's traces.
    readMarks(r);
    if (ReadResult res = readHeaderFields(r); !res)
        return res;
    MoveToHeldTraces(r);

    // 11. Double density of both matrices.
    if (ReadResult res = Resample940(r, ctx); !res)
        return res;
    r.LoadStage.clear();
    return ReadResult::success();
}

} // namespace rebar
