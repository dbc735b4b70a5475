// A libFuzzer target of one reader: the input becomes a file of the name the reader expects
// (FUZZ_FILE_NAME) and is read as the open sequence reads it. Any crash, sanitizer report or
// accepted record that does not hold what its counts say is a finding.
#include "data/DztImport.h"
#include "data/MeasurementRecord.h"
#include "data/RddReader.h"
#include "data/ReadResult.h"
#include "data/Text730Reader.h"
#include "data/VxdReader.h"
#include "data/ZvxReader.h"

#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace rebar;

namespace {

const QString& inputPath() {
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral(FUZZ_FILE_NAME));
    return path;
}

bool writeInput(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(inputPath().toLocal8Bit().constData(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

template <typename T> bool covers(const Matrix<T>& m, int first, int last, int lastSample) {
    return m.firstTrace() == first && m.lastTrace() == last && m.lastSample() == lastSample;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!writeInput(data, size))
        std::abort();
    MeasurementRecord r;
    r.FilePath = inputPath();
    r.FileName = QStringLiteral(FUZZ_FILE_NAME);
    r.FileKind = FUZZ_KIND;
    r.XUnit = QStringLiteral("m");
    r.YUnit = QStringLiteral("cm");
    int16_t maxTraces = 6000;
    ReadContext ctx;
    ctx.MaxTraces = &maxTraces;
    const ReadResult res = FUZZ_READER(r, ctx);
    if (!res.ok) {
        if (res.reason.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    const int n = r.TraceCount;
    bool sound = n >= 1;
    if (r.is940())
        sound = sound && n <= maxTraces && covers(r.Raw940, -3, n, 768) &&
                covers(r.Raw940A, -3, n, 768) && covers(r.Samples940, -3, n, 1536) &&
                covers(r.Samples940A, -3, n, 1536) && covers(r.Work940, 1, n, 768);
    else
        sound = sound && covers(r.Raw730, -1, n, 512) && covers(r.Samples730, -1, n, 1024) &&
                covers(r.Work730x2, 1, n, 1024);
    if (!sound)
        std::abort();
    return 0;
}
