#include "processing/Detection.h"

#include <algorithm>

namespace rebar {

DetectionTexts AutoMarkerTexts(bool japanese, bool family940, int group) {
    DetectionTexts t;
    const QString g = QString::number(group);
    if (japanese) {
        t.confirmation = (family940 ? QStringLiteral("グループ") + g : QString()) +
                         QStringLiteral("自動マーカを実行しますか？\r\n"
                                        "実行すると現在のマーカは消去します");
        t.caption = QStringLiteral("自動マーカ");
        t.label = QStringLiteral("マーカ位置検出処理中です、しばらくお待ちください");
    } else {
        t.confirmation = QStringLiteral("Group") + g +
                         QStringLiteral("Is an automatic marker performed?\r\n"
                                        "If it performs, the present marker will eliminate.");
        t.caption = QStringLiteral("Auto Marker");
        t.label = QStringLiteral("Is the marker position detection processing. Please wait.");
    }
    return t;
}

namespace {

bool groupExists(const MeasurementRecord& rec, int group, DetectionRun& run) {
    if (!rec.is940() || (group >= 0 && group < MarkGroups940))
        return true;
    run.messageKey = 18;
    run.reason = QStringLiteral("mark group %1 does not exist").arg(group);
    return false;
}

} // namespace

DetectionRun RunAutoMarker(const MeasurementRecord& rec, bool fromEnd, int group,
                           const ProgressFn& progress) {
    DetectionRun run;
    run.mode = fromEnd ? DetectionMode::FromEnd : DetectionMode::FromStart;
    run.group = group;
    if (!groupExists(rec, group, run))
        return run;
    const AutoMarkerResult r = ComputeAutoMarker(rec, fromEnd, progress);
    run.ok = r.ok;
    run.markers = r.apexes;
    run.stepOk = r.stepOk;
    run.reason = r.reason;
    // A run that could not work is reported; one that merely found nothing is not.
    if (!r.ok && !r.nothingFound)
        run.messageKey = 18;
    return run;
}

DetectionRun RunFittedDetection(const MeasurementRecord& rec, const CalibrationTables& tables,
                                int group, const ProgressFn& progress) {
    DetectionRun run;
    run.mode = DetectionMode::Fitted;
    run.group = group;
    if (!groupExists(rec, group, run))
        return run;
    run.fit = DetectFitted(rec, tables, progress);
    run.ok = run.fit.ok;
    run.messageKey = run.fit.messageKey;
    run.reason = run.fit.reason;
    for (const FittedBar& b : run.fit.bars)
        run.markers.push_back(b.apex);
    if (rec.is940() && run.markers.size() > static_cast<size_t>(MarksPerGroup940))
        run.markers.resize(MarksPerGroup940); // a group holds 99 marks
    if (run.ok && run.markers.empty()) {
        // As with the automatic detection, an empty 730 list is a failed run.
        run.ok = rec.is940();
        run.messageKey = 23;
        run.reason = QStringLiteral("no bar was found");
    }
    return run;
}

DetectionRun RunDetection(const MeasurementRecord& rec, const CalibrationTables& tables,
                          DetectionMode mode, int group, const ProgressFn& progress) {
    if (mode == DetectionMode::Fitted)
        return RunFittedDetection(rec, tables, group, progress);
    return RunAutoMarker(rec, mode == DetectionMode::FromEnd, group, progress);
}

void RemoveDetectedMarkers(MeasurementRecord& rec, int group) {
    if (rec.is940()) {
        if (group < 0 || group >= MarkGroups940)
            return;
        auto& marks = rec.Marks940[static_cast<size_t>(group)];
        std::fill(marks.begin() + 1, marks.end(), Mark940{});
    } else {
        rec.Markers730.assign(FreeMarkers730, Marker730{});
    }
}

void WriteDetectedMarkers(MeasurementRecord& rec, int group,
                          const std::vector<DetectedApex>& apexes) {
    if (rec.is940()) {
        if (group < 0 || group >= MarkGroups940)
            return;
        auto& marks = rec.Marks940[static_cast<size_t>(group)];
        const size_t n = std::min(apexes.size(), static_cast<size_t>(MarksPerGroup940));
        for (size_t r = 0; r < n; ++r)
            marks[r + 1] = {FlagTrue, apexes[r].x, apexes[r].y};
    } else {
        rec.Markers730.clear();
        for (const DetectedApex& a : apexes)
            rec.Markers730.push_back({a.x - 1, a.y});
    }
}

bool ApplyDetection(MeasurementRecord& rec, const DetectionRun& run) {
    RemoveDetectedMarkers(rec, run.group);
    if (!run.ok)
        return false;
    WriteDetectedMarkers(rec, run.group, run.markers);
    rec.Modified = FlagTrue;
    return true;
}

bool AutoMarker(MeasurementRecord& rec, int16_t fromEnd, const ProgressFn& progress) {
    if (progress)
        progress(0);
    return ApplyDetection(rec, RunAutoMarker(rec, fromEnd != 0, rec.MarkerGroup, progress));
}

} // namespace rebar
