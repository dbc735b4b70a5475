#include "data/FileOpen.h"

#include "base/PathNames.h"
#include "data/DztImport.h"
#include "data/RddReader.h"
#include "data/Text730Reader.h"
#include "data/VxdReader.h"
#include "data/ZvxReader.h"

#include <QFile>
#include <QFileInfo>

namespace rebar {

namespace {

const QByteArray Text730Signature = "QTX-730 Measurement Data";

// True when the first line of the file holds the text measurement-data signature.
bool firstLineIsText730(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // A first line longer than this is no measurement header; reading is bounded.
    const QByteArray line = f.readLine(64 * 1024);
    return line.contains(Text730Signature);
}

} // namespace

void SetRecordPath(MeasurementRecord& r, const QString& path) {
    r.FilePath = path;
    r.FileName = fileNamePart(path);
}

bool IsBadVxdName(const MeasurementRecord& r) {
    return r.FilePath.right(3).toUpper() == QLatin1String("VXD") &&
           !(r.FileName.startsWith(QLatin1Char('B')) || r.FileName.startsWith(QLatin1Char('T')));
}

bool DetectFileKind(MeasurementRecord& r) {
    const QString ext = r.FilePath.right(3).toUpper();
    if (ext == QLatin1String("RDD")) {
        r.FileKind = KindRdd;
    } else if (ext == QLatin1String("VXD")) {
        if (IsBadVxdName(r))
            return false;
        r.FileKind = KindVxd;
    } else if (ext == QLatin1String("ZVX")) {
        r.FileKind = KindZvx4; // the reader may change it to 9
    } else if (IsDztPath(r.FilePath)) {
        r.FileKind = KindRdd; // imported into a 730-family record
    } else if (firstLineIsText730(r.FilePath)) {
        r.FileKind = KindText730;
    } else {
        return false;
    }
    r.XUnit = QStringLiteral("m");
    r.YUnit = QStringLiteral("cm");
    return true;
}

ReadResult ExplainDetectionFailure(const MeasurementRecord& r) {
    QFile f(r.FilePath);
    if (!f.open(QIODevice::ReadOnly))
        return ReadResult::systemFailure(QStringLiteral("the file cannot be opened"),
                                         f.errorString());
    if (f.size() == 0)
        return ReadResult::failure(FailureKind::Empty, QStringLiteral("the file is empty"));
    if (IsBadVxdName(r))
        return ReadResult::failure(QStringLiteral("A VXD file name must start with B or T."));
    return ReadResult::failure(FailureKind::NotMeasurementFile,
                               QStringLiteral("the file is of no kind the program reads"));
}

namespace {

ReadResult runReader(MeasurementRecord& r, const ReadContext& ctx) {
    switch (r.FileKind) {
    case KindText730:
        return ReadText730(r, ctx);
    case KindRdd:
        return IsDztPath(r.FilePath) ? ImportDzt(r, ctx) : ReadRdd(r, ctx);
    case KindVxd:
        return ReadVxd(r, ctx);
    case KindZvx3:
    case KindZvx4:
        return ReadZvx(r, ctx);
    default:
        return ReadResult::failure(QStringLiteral("no reader for file kind %1").arg(r.FileKind));
    }
}

} // namespace

ReadResult ReadMeasurementFile(MeasurementRecord& r, const ReadContext& ctx) {
    ReadResult res = runReader(r, ctx);
    // Whatever a reader missed first, a file without a byte is simply empty.
    if (!res && res.kind != FailureKind::System && QFileInfo(r.FilePath).size() == 0)
        res.kind = FailureKind::Empty;
    return res;
}

OpenResult ReadMeasurementPath(MeasurementRecord& r, const QString& path, const ReadContext& ctx,
                               const std::function<void()>& kindKnown) {
    r.LoadStage.clear();
    SetRecordPath(r, path);
    auto failed = [&r](const ReadResult& why) {
        return OpenResult{false, r.LoadStage, why.reason, why};
    };
    if (r.FilePath.isEmpty())
        return failed(ReadResult::failure(QStringLiteral("no file name")));
    if (!DetectFileKind(r)) {
        if (IsBadVxdName(r))
            r.LoadStage = Stage::FType001;
        return failed(ExplainDetectionFailure(r));
    }
    if (kindKnown)
        kindKnown();
    if (const ReadResult res = ReadMeasurementFile(r, ctx); !res)
        return failed(res);
    return OpenResult::success();
}

} // namespace rebar
