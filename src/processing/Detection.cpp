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

DetectionRun refusedRun(DetectionRun run, int key, const QString& why) {
    run.refused = true;
    run.messageKey = key;
    run.reason = why;
    return run;
}

// The checks every detection makes: the 940 group exists and the record has samples.
DetectionRun checkedRun(const MeasurementRecord& rec, DetectionMode mode, int group) {
    DetectionRun run;
    run.mode = mode;
    run.group = group;
    if (rec.is940() && (group < 0 || group >= MarkGroups940))
        return refusedRun(run, 18, QStringLiteral("mark group %1 does not exist").arg(group));
    if (!HasDetectionSamples(rec))
        return refusedRun(run, 18, QStringLiteral("the record holds no samples to detect in"));
    return run;
}

} // namespace

DetectionRun CheckDetection(const MeasurementRecord& rec, const CalibrationTables& tables,
                            DetectionMode mode, int group) {
    DetectionRun run = checkedRun(rec, mode, group);
    QString why;
    if (!run.refused && mode == DetectionMode::Fitted)
        if (const int key = FittedDetectorRefusal(rec, tables, &why))
            return refusedRun(run, key, why);
    return run;
}

DetectionRun RunAutoMarker(const MeasurementRecord& rec, bool fromEnd, int group,
                           const ProgressFn& progress) {
    DetectionRun run =
        checkedRun(rec, fromEnd ? DetectionMode::FromEnd : DetectionMode::FromStart, group);
    if (run.refused)
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
    DetectionRun run = CheckDetection(rec, tables, DetectionMode::Fitted, group);
    if (run.refused)
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
        // X keeps the trace counted from 0, as a mark added by hand does, so that the mark
        // shows on the apex's own trace.
        for (size_t r = 0; r < n; ++r)
            marks[r + 1] = {FlagTrue, apexes[r].x - 1, apexes[r].y};
    } else {
        rec.Markers730.clear();
        for (const DetectedApex& a : apexes)
            rec.Markers730.push_back({a.x - 1, a.y});
    }
}

bool ApplyDetection(MeasurementRecord& rec, const DetectionRun& run) {
    if (run.refused)
        return false;
    RemoveDetectedMarkers(rec, run.group);
    if (!run.ok)
        return false;
    WriteDetectedMarkers(rec, run.group, run.markers);
    rec.Modified = FlagTrue;
    return true;
}

bool AutoMarker(MeasurementRecord& rec, int16_t fromEnd, const ProgressFn& progress) {
    if (progress) {
        progress(0); // the progress window opens
        progress(1); // the markers the run replaces are gone from here on
    }
    return ApplyDetection(rec, RunAutoMarker(rec, fromEnd != 0, rec.MarkerGroup, progress));
}

} // namespace rebar
