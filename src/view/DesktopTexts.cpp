#include "view/DesktopTexts.h"

#include "view/CursorPosition.h"

#include <algorithm>

namespace rebar {

QString ViewTitle(const MeasurementRecord& r) {
    return r.Modified == FlagTrue ? r.FileName + QLatin1Char('*') : r.FileName;
}

QString ViewStatusLine(const MeasurementRecord& r, bool japanese) {
    const QString family = r.is940() ? QStringLiteral("940") : QStringLiteral("730");
    // Length: the traces held (with those a long file's reader passed over) times the pitch
    // of one trace, or the recording time of a scan that counts time.
    const double traces = static_cast<double>(r.TraceCount) + std::max(r.SkippedTraces, 0);
    const QString length =
        r.XScale != 0
            ? FormatFixed(traces * 0.05, 2) + QStringLiteral(" s")
            : FormatFixed(traces * 0.0025 * (1.0 + r.XAdjust / 100.0), 2) + QStringLiteral(" m");
    const QString er = r.Permittivity <= 0
                           ? (japanese ? QStringLiteral("時間軸") : QStringLiteral("time axis"))
                           : PermittivityText(r.Permittivity);
    if (japanese)
        return QStringLiteral("%1 系列    %2 トレース    長さ %3    比誘電率 %4")
            .arg(family)
            .arg(r.TraceCount)
            .arg(length, er);
    return QStringLiteral("%1 family    %2 traces    length %3    permittivity %4")
        .arg(family)
        .arg(r.TraceCount)
        .arg(length, er);
}

QString WithMnemonic(const QString& caption, QChar letter) {
    if (caption.isEmpty() || caption.contains(QLatin1Char('&')))
        return caption;
    const qsizetype at = caption.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at >= 0)
        return caption.left(at) + QLatin1Char('&') + caption.mid(at);
    return caption + QStringLiteral("(&") + letter.toUpper() + QLatin1Char(')');
}

} // namespace rebar
