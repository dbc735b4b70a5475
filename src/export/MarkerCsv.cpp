#include "export/MarkerCsv.h"

#include "base/FileSave.h"
#include "base/TextEncoding.h"
#include "export/MarkerTable.h"
#include "view/MeasurementDocument.h"

#include <QDir>

namespace rebar {

namespace {

QString quoted(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

int writeMarkerCsv(const MeasurementDocument& doc, const QString& path, int start, int end,
                   int16_t distanceFromFile, QString* error) {
    const QByteArray bytes = MarkerCsvBytes(doc, start, end, distanceFromFile, error);
    if (bytes.isEmpty())
        return 1;
    const QByteArrayView parts[] = {QByteArrayView(bytes)};
    const FileSaveOutcome saved = SaveFileBytes(path, parts);
    if (!saved.ok) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), saved.reason);
        return 1;
    }
    return 0;
}

} // namespace

QByteArray MarkerCsvBytes(const MeasurementDocument& doc, int start, int end,
                          int16_t distanceFromFile, QString* error) {
    const MeasurementRecord& r = doc.record();
    if (!doc.context().complete())
        return {};
    const auto& C = doc.context().language->Captions;
    const MarkerTable table = TakeMarkers(doc, start, end, distanceFromFile);
    if (!table.ok) {
        if (error)
            *error = QStringLiteral("a marker's depth could not be computed");
        return {};
    }
    if (table.rows.isEmpty()) {
        if (error)
            *error = QStringLiteral("no marker lies in the exported range");
        return {};
    }

    const bool timeAxis = r.Permittivity <= 0;
    const QString distUnitCaption =
        r.XScale != 0 ? QStringLiteral(" (s)") : QStringLiteral(" (") + r.XUnit + QLatin1Char(')');
    QString numbers = quoted(C[96]);
    QString distances = quoted((r.XScale != 0 ? C[99] : C[97]) + distUnitCaption);
    QString depths = quoted(timeAxis ? C[100] + QStringLiteral(" (ns)")
                                     : C[98] + QStringLiteral(" (") + r.YUnit + QLatin1Char(')'));
    QString pitches = quoted(C[105] + distUnitCaption);
    auto add = [](QString& line, const QString& figure) {
        if (!figure.isEmpty()) // a unit the program does not know adds no field
            line += QLatin1Char(',') + figure;
    };
    for (const MarkerTableRow& row : table.rows) {
        numbers += QLatin1Char(',') + QString::number(row.number);
        add(distances, DistanceFigure(r, row.figures.distance));
        if (timeAxis) // the 940 family writes its times with their unit
            add(depths,
                TimeFigure(row.figures.timeNs) + (r.is940() ? QStringLiteral("ns") : QString()));
        else
            add(depths, DepthFigure(r, row.figures.depthCm));
        add(pitches, DistanceFigure(r, row.pitch));
    }

    // The statistics as the view's marker list shows them, for the whole list.
    const MarkerListContent& list = doc.markerList();
    const auto& L = list.labels;
    const QStringList lines = {
        numbers,
        distances,
        depths,
        pitches,
        quoted(C[109]) + QLatin1Char(',') + QString::number(list.lines.size()),
        QLatin1Char(',') + quoted(timeAxis ? C[100] : C[98]) + QLatin1Char(',') + quoted(C[105]),
        quoted(C[106]) + QLatin1Char(',') + quoted(L[4]) + QLatin1Char(',') + quoted(L[7]),
        quoted(C[107]) + QLatin1Char(',') + quoted(L[5]) + QLatin1Char(',') + quoted(L[8]),
        quoted(C[108]) + QLatin1Char(',') + quoted(L[6]) + QLatin1Char(',') + quoted(L[9]),
    };
    QByteArray out;
    for (const QString& line : lines)
        out += encodeSystemText(line) + "\r\n";
    return out;
}

int WriteMarkerCsv730(const MeasurementDocument& doc, const QString& path, int start, int end,
                      int16_t distanceFromFile, QString* error) {
    return writeMarkerCsv(doc, path, start, end, distanceFromFile, error);
}

int WriteMarkerCsv940(const MeasurementDocument& doc, const QString& path, int start, int end,
                      int16_t distanceFromFile, QString* error) {
    return writeMarkerCsv(doc, path, start, end, distanceFromFile, error);
}

} // namespace rebar
