#include "scangen/SceneFile.h"

#include "data/FileOpen.h"
#include "data/ReadResult.h"
#include "scangen/Writers.h"

namespace rebar::scangen {

std::unique_ptr<MeasurementRecord> readSceneBack(const Scene& scene, bool family940,
                                                 const QString& path, QString* error) {
    QString why;
    const bool written =
        family940 ? writeZvx(scene, path, KindZvx4, &why) : writeRdd(scene, path, &why);
    if (!written) {
        if (error)
            *error = why;
        return nullptr;
    }
    auto rec = std::make_unique<MeasurementRecord>();
    SetRecordPath(*rec, path);
    int16_t maxTraces = 6000;
    ReadContext ctx;
    ctx.MaxTraces = &maxTraces;
    if (!DetectFileKind(*rec)) {
        if (error)
            *error = QStringLiteral("%1: not a measurement file name").arg(path);
        return nullptr;
    }
    const ReadResult res = ReadMeasurementFile(*rec, ctx);
    if (!res) {
        if (error)
            *error = res.reason;
        return nullptr;
    }
    return rec;
}

} // namespace rebar::scangen
