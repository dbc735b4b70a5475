#include "data/FileOpen.h"

#include "config/SystemPaths.h"
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

void SettleDisplaySettings(MeasurementRecord& r, const Settings& s) {
    // 1. What the file holds is what a save writes back.
    r.Saved.Permittivity = static_cast<float>(r.Permittivity);
    r.Saved.ColorCode = static_cast<int16_t>(r.ColorCode);
    r.Saved.GainMode = r.GainMode;
    r.Saved.Gain = r.Gain;
    r.Saved.Direction = r.Direction;
    r.Saved.ProcCode = r.ProcCode;
    r.Saved.ViewRange = r.ViewRange;
    r.Saved.XUnit = r.XUnit;
    r.Saved.YUnit = r.YUnit;

    const bool f940 = r.is940();
    const int16_t permSetting =
        f940 ? s.RelativePermittivitySetting940 : s.RelativePermittivitySetting730;
    const float perm = f940 ? s.RelativePermittivity940 : s.RelativePermittivity730;
    const int16_t gradation = f940 ? s.GradationSystem940 : s.GradationSystem730;
    const int16_t direction = f940 ? s.Direction940 : s.Direction730;
    const int16_t sensitivity = f940 ? s.Sensitivity940 : s.Sensitivity730;
    const int16_t range = f940 ? s.IndicationRange940 : s.IndicationRange730;
    const int16_t proc = f940 ? s.PictureProc940 : s.PictureProc730;
    const int16_t unit = f940 ? s.Unit940 : s.Unit;
    const int shallowSteps = f940 ? 7 : 5; // sensitivity list positions of the shallow band

    // 2. A fixed permittivity, unless the file shows echo time.
    if (permSetting == 0 && r.PermittivityPreset != 7)
        r.Permittivity = perm;
    // 3..5. Display defaults; -1 keeps the file's value.
    if (gradation != -1)
        r.ColorCode = gradation;
    if (direction != -1)
        r.Direction = direction;
    if (sensitivity != -1) {
        if (sensitivity < shallowSteps) {
            r.GainMode = 0;
            r.Gain = static_cast<int16_t>(sensitivity + 1);
        } else {
            r.GainMode = 1;
            r.Gain = static_cast<int16_t>(sensitivity - shallowSteps + 1);
        }
    }
    if (range != -1)
        r.ViewRange = range;
    if (proc != -1)
        r.ProcCode = proc;
    // 6. Cover magnification of every opened file.
    r.CoverMagnification = s.PuttingOnMagnification;
    // 7. Units.
    if (unit != -1) {
        r.XUnit = f940 ? s.DistanceUnit940 : s.DistanceUnit;
        r.YUnit = f940 ? s.DepthUnit940 : s.DepthUnit;
    }
}

} // namespace rebar
