#include "view/InteractiveCommands.h"

#include "base/Numeric.h"
#include "platform/Platform.h"
#include "processing/BackCalculation.h"
#include "view/CursorPosition.h"
#include "view/MeasurementDocument.h"

#include <algorithm>

namespace rebar {

namespace {

constexpr int MsgNotCarriedOut = 18;
constexpr int MsgDeletePrompt = 27;
constexpr int MsgDepthInCm = 31;
constexpr int MsgDepthInInches = 38;
constexpr int MsgFittedGroup = 39;
constexpr int MsgUseEstimate = 40;
constexpr int MsgMapNotOpened = 41;
constexpr int MsgGroupRange = 42;

// The web map service behind the map link; the path and query keys are the program's.
const char* const MapService = "https://www.google.com";

const QString& messageText(const MeasurementDocument& doc, int n) {
    return doc.context().language->Messages[static_cast<size_t>(n)];
}

bool japanese(const MeasurementDocument& doc) {
    return doc.context().settings->Language == QLatin1String("JP");
}

// Text of a fixed header field up to its first NUL byte, trimmed.
QString headerText(const MeasurementRecord& r, int offset, int length) {
    return QString::fromLatin1(reinterpret_cast<const char*>(r.Zvx.Bytes.data()) + offset, length)
        .section(QChar(0), 0, 0)
        .trimmed();
}

// The group the fitted detector writes: asked in the 940 family (the current group offered),
// always 0 in the 730 family. Nothing when the user cancels or gives no valid group.
std::optional<int> askGroup(const MeasurementDocument& doc, Platform& ui, CommandResult& res) {
    const MeasurementRecord& r = doc.record();
    if (!r.is940())
        return 0;
    const std::optional<QString> answer =
        ui.inputBox(messageText(doc, MsgFittedGroup), QString(), QString::number(r.MarkerGroup));
    if (!answer || answer->trimmed().isEmpty())
        return std::nullopt;
    bool ok = false;
    const int g = answer->trimmed().toInt(&ok);
    if (!ok || g < 0 || g >= MarkGroups940) {
        res.ok = false;
        res.warn(MsgGroupRange, r.FilePath);
        return std::nullopt;
    }
    return g;
}

// Whether the view takes the fitted detector's permittivity estimate.
bool askUseEstimate(const MeasurementDocument& doc, Platform& ui, const DetectionRun& run) {
    const FittedDetection& fit = run.fit;
    if (!run.ok || fit.confidentBars < 1 || fit.permittivitySetting < 2.0 ||
        fit.permittivitySetting > 20.0)
        return false;
    const QString figures = QStringLiteral("εr = %1  (%2 / %3)")
                                .arg(FormatFixed(fit.permittivitySetting, 1))
                                .arg(fit.confidentBars)
                                .arg(fit.bars.size());
    return ui.messageBox(messageText(doc, MsgUseEstimate) + QLatin1Char('\n') + figures,
                         doc.record().FilePath, MsgIcon::Question, MsgButtons::YesNo,
                         MsgAnswer::No) == MsgAnswer::Yes;
}

} // namespace

// ---- Deleting -------------------------------------------------------------------------------

CommandResult DeleteMarkersCommand(MeasurementDocument& doc, Platform& ui) {
    if (!doc.HasMarkerLines())
        return CommandResult{false, {}, {}};
    QString text;
    if (doc.state().DeleteWithoutPrompt != 0) {
        text = doc.DeleteTextWithoutPrompt();
    } else {
        const std::optional<QString> answer =
            ui.inputBox(messageText(doc, MsgDeletePrompt), QString(), QString());
        if (!answer || answer->isEmpty())
            return CommandResult{false, {}, {}};
        text = *answer;
    }
    return doc.DeleteMarkers(text);
}

CommandResult DeleteCurrentMarkerCommand(MeasurementDocument& doc, Platform& ui) {
    if (!doc.HasMarkerLines())
        return CommandResult{false, {}, {}};
    doc.state().DeleteWithoutPrompt = FlagTrue;
    return DeleteMarkersCommand(doc, ui);
}

CommandResult DeleteLastMarkerCommand(MeasurementDocument& doc, Platform& ui) {
    if (!doc.HasMarkerLines())
        return CommandResult{false, {}, {}};
    doc.state().CurrentMarker = doc.LastListNumber();
    doc.state().DeleteWithoutPrompt = FlagTrue;
    return DeleteMarkersCommand(doc, ui);
}

// ---- Detections -----------------------------------------------------------------------------

CommandResult DetectionCommand(MeasurementDocument& doc, Platform& ui, DetectionMode mode) {
    CommandResult res;
    const MeasurementRecord& r = doc.record();
    const CalibrationTables& tables = *doc.context().tables;
    int group = r.MarkerGroup;
    if (mode == DetectionMode::Fitted) {
        const std::optional<int> g = askGroup(doc, ui, res);
        if (!g)
            return res;
        group = *g;
    }
    const DetectionRun check = CheckDetection(r, tables, mode, group);
    if (check.refused)
        return doc.ApplyDetectionRun(check, false);

    const DetectionTexts texts = AutoMarkerTexts(japanese(doc), r.is940(), group);
    if (ui.messageBox(texts.confirmation, QString(), MsgIcon::Warning, MsgButtons::OkCancel,
                      MsgAnswer::Ok) != MsgAnswer::Ok)
        return res;

    ProgressDialog& progress = ShowProgress(ui, texts.caption, texts.label);
    const DetectionRun run = RunDetection(r, tables, mode, group, ProgressOf(ui));
    progress.close();
    const bool useEstimate = mode == DetectionMode::Fitted && askUseEstimate(doc, ui, run);
    return doc.ApplyDetectionRun(run, useEstimate);
}

// ---- Back-calculation -----------------------------------------------------------------------

CommandResult BackCalculationCommand(MeasurementDocument& doc, Platform& ui) {
    const MeasurementRecord& r = doc.record();
    const bool inches = r.YUnit == QLatin1String("inch");
    const std::optional<QString> answer = ui.inputBox(
        messageText(doc, inches ? MsgDepthInInches : MsgDepthInCm), QString(), QString());
    const DepthEntry entry = ReadDepthEntry(answer.value_or(QString()), r.YUnit);
    if (entry.kind == DepthEntry::Empty)
        return CommandResult{false, {}, {}};
    if (entry.kind == DepthEntry::Invalid) {
        CommandResult res;
        res.ok = false;
        res.warn(MsgNotCarriedOut, r.FilePath);
        return res;
    }
    return doc.BackCalculateCommand(entry.mm);
}

// ---- Map link -------------------------------------------------------------------------------

std::optional<QString> MapLinkUrl(const MeasurementDocument& doc) {
    const MeasurementRecord& r = doc.record();
    if (r.FileKind != KindZvx4)
        return std::nullopt;
    bool okLat = false, okLon = false;
    const double lat =
        headerText(r, ZvxHeader::OffLatitude, ZvxHeader::LenLatitude).toDouble(&okLat);
    const double lon =
        headerText(r, ZvxHeader::OffLongitude, ZvxHeader::LenLongitude).toDouble(&okLon);
    if (!okLat || !okLon || !std::isfinite(lat) || !std::isfinite(lon))
        return std::nullopt;
    const QString a = FormatFixed(lat, 6), o = FormatFixed(lon, 6);
    return QString::fromLatin1(MapService) + QStringLiteral("/maps?q=loc:") + a + QLatin1Char(',') +
           o + QStringLiteral("&ll=") + a + QLatin1Char(',') + o + QStringLiteral("&z=16");
}

CommandResult OpenMapLink(const MeasurementDocument& doc, Platform& ui) {
    CommandResult res;
    const std::optional<QString> url = MapLinkUrl(doc);
    if (!url || !ui.openUrl(*url)) {
        res.ok = false;
        res.warn(MsgMapNotOpened, doc.record().FilePath, url);
    }
    return res;
}

std::optional<CommandResult> MarkerKeyCommand(MeasurementDocument& doc, Platform& ui, int key) {
    switch (key) {
    case Qt::Key_M:
        return doc.AddMarkerCommand();
    case Qt::Key_D:
        return DeleteCurrentMarkerCommand(doc, ui);
    case Qt::Key_E:
        return DeleteLastMarkerCommand(doc, ui);
    case Qt::Key_L:
        return doc.PeakSearchCommand();
    case Qt::Key_S:
        return doc.SnapCommand();
    case Qt::Key_P:
        return doc.SnapAndAddCommand();
    default:
        return std::nullopt;
    }
}

std::optional<CommandResult> RunInteractiveCommand(MeasurementDocument& doc, Platform& ui,
                                                   const ViewCommand& c, int selectedLine) {
    switch (c.window) {
    case WindowCommand::DeleteMarkers:
        return DeleteMarkersCommand(doc, ui);
    case WindowCommand::MarkerList:
        return doc.MarkerListCommand(c.index, selectedLine);
    case WindowCommand::Detect: {
        static const DetectionMode modes[] = {DetectionMode::FromStart, DetectionMode::FromEnd,
                                              DetectionMode::Fitted};
        return DetectionCommand(doc, ui, modes[std::clamp(c.index, 0, 2)]);
    }
    case WindowCommand::BackCalculate:
        return BackCalculationCommand(doc, ui);
    default:
        return std::nullopt;
    }
}

} // namespace rebar
