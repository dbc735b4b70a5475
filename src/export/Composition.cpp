#include "export/Composition.h"

#include "base/DateText.h"
#include "base/Numeric.h"
#include "data/Family.h"
#include "view/AModeTrace.h"
#include "view/CursorPosition.h"
#include "view/MeasurementDocument.h"
#include "view/Sprites.h"
#include "view/ViewFonts.h"

#include <QPainter>
#include <QPolygon>
#include <cmath>

namespace rebar {

namespace {

constexpr int D = CompositionAxisWidth;
constexpr int A = CompositionAModeWidth;
constexpr int StripHeight = 20;
constexpr int TextCell = 13; // character cell of the text lines: three fit the 60 rows below
constexpr int LabelCellNormal = 15;
constexpr int LabelCellWide = 12;
constexpr QRgb White = 0xffffffffu;
constexpr QRgb Red = 0xffff0000u;

// What the families' pictures differ in.
template <class Family> struct CompositionTraits;
template <> struct CompositionTraits<Family730> {
    static constexpr int AModeDivisor = 32;       // x = X0 + v div 32
    static constexpr bool AModeCentred = false;   // 12-bit values: 2048 lands on x = 64
    static constexpr int WhiteCursorLastCode = 5; // colour gradations 0..5 take a white cursor
    // Recorded marks on the re-labelled strip: a flag for 32 and 48, an arrow for 16 and 48.
    static bool flag(int32_t w) { return w == 32 || w == 48; }
    static bool arrow(int32_t w) { return w == 16 || w == 48; }
};
template <> struct CompositionTraits<Family940> {
    static constexpr int AModeDivisor = 1024; // x = X0 + A/2 + v div 1024
    static constexpr bool AModeCentred = true;
    static constexpr int WhiteCursorLastCode = 3;
    // The family records a mark as code 1, which its view strip flags; the re-labelled strip
    // flags the same traces.
    static bool flag(int32_t w) { return w == 1; }
    static bool arrow(int32_t) { return false; }
};

bool wideRange(int viewRange) {
    return viewRange >= 3 && viewRange <= 5;
}

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// Copies the part of src from column sx (rows 0..h-1, w columns) that lies inside the first
// srcWidth columns of src to (dx, 0) of dst; columns outside stay as they are.
void copyColumns(QPainter& p, const QImage& src, int srcWidth, int sx, int w, int h, int dx) {
    const int first = std::max(sx, 0);
    const int last = std::min(sx + w, std::min(srcWidth, src.width())); // exclusive
    if (last <= first)
        return;
    p.drawImage(QPoint(dx + (first - sx), 0), src,
                QRect(first, 0, last - first, std::min(h, src.height())));
}

// The distance strip counted from the first column of the range, drawn over the copied strip.
template <class Family>
void relabelStrip(QPainter& p, const MeasurementRecord& r,
                  const Matrix<typename Family::Sample>& work, int start, int end, int W) {
    const int C = end - start + 1;
    const bool wide = wideRange(r.ViewRange);
    const bool mirrored = r.Direction != 0;
    const int d = wide ? 2 : 1; // traces per column
    p.fillRect(QRect(D, 0, W + 1, StripHeight + 1), Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.setFont(ArialCellFont(wide ? LabelCellWide : LabelCellNormal));
    auto tick = [&](int x) { p.drawLine(x, 12, x, StripHeight); };
    auto label = [&](int x, const QString& text) {
        if (!text.isEmpty())
            p.drawText(QRect(x, 0, 1000, StripHeight), Qt::AlignLeft | Qt::AlignTop, text);
    };

    const bool inch = r.XUnit == QLatin1String("inch") && r.XScale == 0;
    QString origin;
    if (r.XScale == 1 || r.XUnit == QLatin1String("m"))
        origin = QStringLiteral("0.0");
    else if (r.XUnit == QLatin1String("cm") || r.XUnit == QLatin1String("mm") || inch)
        origin = QStringLiteral("0");
    tick(mirrored ? D + W - 1 : D);
    label(mirrored ? D + W - 15 : D, origin);

    const double adjust = static_cast<double>(r.XAdjust) + 100.0;
    // Columns a tick lies from the origin: metric and time ticks every 0.1 m of traces (two
    // seconds when the scan counts time), inch ticks every 5 inches (10 in the wide ranges).
    auto draw = [&](double columns, const QString& text) {
        int64_t l = 0;
        if (!roundTo(columns, l) || l > C)
            return false;
        const int x = static_cast<int>(mirrored ? D + C - l : D + l - 1);
        tick(x);
        label(mirrored ? x - 15 : x, text);
        return true;
    };
    if (!inch) {
        const double s = 4000.0 / adjust / d; // columns per tick
        if (!std::isfinite(s) || s < 1.0)
            return;
        for (int64_t k = 1;; ++k) {
            QString text;
            if (r.XScale != 0)
                text = FormatFixed(2.0 * static_cast<double>(k), 1);
            else if (r.XUnit == QLatin1String("m"))
                text = FormatFixed(static_cast<double>(k) / 10.0, 1);
            else if (r.XUnit == QLatin1String("cm"))
                text = QString::number(10 * k);
            else if (r.XUnit == QLatin1String("mm"))
                text = QString::number(100 * k);
            if (!draw(static_cast<double>(k) * s, text))
                break;
        }
    } else if (adjust > 0) {
        const int step = wide ? 10 : 5;
        const double perInch = 25.4 * 100.0 / adjust / 2.5 / d; // columns per inch
        if (std::isfinite(perInch) && perInch * step >= 1.0)
            for (int64_t n = step;; n += step)
                if (!draw(static_cast<double>(n) * perInch, QString::number(n)))
                    break;
    }

    // Recorded marks of the traces in the range.
    using T = CompositionTraits<Family>;
    auto code = [&](int t) -> int32_t { return work.contains(t, 0) ? work(t, 0) : 0; };
    for (int c = start - 1; c <= end - 1; ++c) {
        const int X = mirrored ? (end - 1) - c : c - (start - 1);
        bool flag = false, arrow = false;
        if (!wide) {
            flag = T::flag(code(c));
            arrow = T::arrow(code(c));
        } else {
            const int a = 2 * c - 1, b = 2 * c; // the column's two traces
            flag = T::flag(code(a)) || T::flag(code(b));
            arrow = T::arrow(code(a)) || T::arrow(code(b));
        }
        const int shift = wide ? 1 : 0;
        if (flag)
            p.drawImage(D + X - 4 - shift, 0, MarkFlagPicture());
        if (arrow)
            p.drawImage(D + X - 2 - shift, 0, ProcessingLineArrow());
    }

    // The processing line, when it lies in the range.
    const int line = wide ? r.ProcessingLine / 2 : r.ProcessingLine;
    if (line > 0 && line >= start && line < end) {
        const int a = mirrored ? end - line : line - start - 1;
        p.drawImage(D + a - 3, 0, ProcessingLineArrow());
    }
}

template <class Family>
bool compose(const MeasurementDocument& doc, CompositionParams& p, QImage& pics) {
    using T = CompositionTraits<Family>;
    const MeasurementRecord& r = doc.record();
    const LanguageTables& language = *doc.context().language;
    const bool wide = wideRange(r.ViewRange);
    const int N = r.TraceCount;
    const int columns = wide ? N / 2 : N; // N'

    // 1. The range in image columns.
    if (p.EndTrace == 0) {
        p.EndTrace = columns;
    } else if (wide) {
        p.StartTrace = std::max(p.StartTrace / 2, 1);
        p.EndTrace = p.EndTrace / 2;
    }
    // 2. The date of the measurement-date line.
    if (p.MeasurementDate.isNull())
        p.MeasurementDate = RecordMeasureDate(r);

    if (r.Loaded != FlagTrue || !doc.context().complete() || doc.images().OverlayImage.isNull() ||
        doc.depthAxis().isNull() || r.ViewRange < 0 || r.ViewRange > 5)
        return false;
    const int start = p.StartTrace, end = p.EndTrace;
    if (start < 1 || end < start || end > columns)
        return false;
    const int C = end - start + 1;
    const int W = std::max(C, CompositionMinColumns);
    const int H = Family::DisplayRows / (r.CoverMagnification != 0 ? 2 : 1);

    // 3, 4. Size and clear the picture.
    const int L = (p.TitlePrint == 0) + (p.MeasurementDatePrint == 0) + (p.CreationDatePrint == 0);
    const bool aMode = p.AModePrint == 0;
    const int width = D + W + (aMode ? A : 0);
    const int height = H + StripHeight + 20 * L;
    pics = QImage(width, height, QImage::Format_RGB32);
    if (pics.isNull())
        return false;
    pics.fill(White);
    const int X0 = width - A;
    const int right = width - 1;

    QPainter painter(&pics);
    painter.setPen(QPen(Qt::black, 1));

    // 5. The A-mode panel: the trace under the cursor and the colour bar.
    if (aMode) {
        const int trace = wide ? 2 * doc.state().CursorColumn : doc.state().CursorColumn;
        if (!Family::workX2(r).hasTrace(trace) || !Family::work(r).hasTrace(trace))
            return false;
        QPolygon points;
        points.reserve(H);
        for (int k = 0; k < H; ++k) {
            int v = 0;
            if (!AModeValueOfRow(r, trace, k + 1, v))
                break; // past the last sample
            const int x = X0 + (T::AModeCentred ? A / 2 : 0) + truncDiv(v, T::AModeDivisor);
            points << QPoint(x, k + 20);
        }
        if (!points.isEmpty())
            painter.drawPolyline(points);
        painter.drawLine(X0, 20, X0 + 128, 20);
        painter.drawLine(X0 + 64, 20, X0 + 64, H + 20);
        const QImage& bar = doc.colorBar().bar;
        for (int i = 1; i <= 128; ++i) {
            if (i >= bar.width() || bar.height() < 1)
                break;
            painter.setPen(QPen(QColor::fromRgb(bar.pixel(i, 0)), 1));
            painter.drawLine(X0 + i, 0, X0 + i, 20);
        }
        painter.setPen(QPen(Qt::black, 1));
    }

    // 6. The depth axis.
    const QImage& axis = doc.depthAxis();
    painter.drawImage(QPoint(1, 0), axis,
                      QRect(0, 0, std::min(D, axis.width()), std::min(H + 20, axis.height())));

    // 7. The radargram columns of the range.
    const int source = r.Direction != 0 ? columns - end - 1 : start - 1;
    copyColumns(painter, doc.images().OverlayImage, doc.imageWidth(), source, C, H + 20, D);

    // 8. The cursor cross.
    if (p.CrossCursorPrint == 0) {
        const QColor c = r.ColorCode >= 0 && r.ColorCode <= T::WhiteCursorLastCode
                             ? QColor::fromRgb(White)
                             : QColor::fromRgb(Red);
        const int y = doc.state().CursorRow + 19;
        const int column = doc.state().CursorColumn;
        painter.setPen(QPen(c, 1));
        painter.drawLine(D, y, aMode ? X0 - 4 : right, y);
        // The vertical line only while the cursor's column lies in the range, so that it never
        // crosses the depth axis or the A-mode panel.
        if (column >= start && column <= end) {
            const int x = r.Direction != 0 ? D + (end - column) + 2 : D + (column - start) + 1;
            painter.drawLine(x, 20, x, H + 20);
        }
        if (aMode) {
            painter.setPen(QPen(QColor::fromRgb(Red), 1));
            painter.drawLine(X0 - 4, y, right, y);
            painter.setPen(QPen(Qt::black, 1));
            painter.drawLine(X0 - 4, 20, X0 - 4, H + 20);
        }
        painter.setPen(QPen(Qt::black, 1));
    }

    // 9. The strip counted from the start of the range.
    if (start > 1 && p.DistanceFromFile == 0)
        relabelStrip<Family>(painter, r, Family::work(r), start, end, W);

    // 10. The text lines.
    painter.setPen(QPen(Qt::black, 1));
    painter.setFont(ArialCellFont(TextCell));
    auto text = [&](int y, const QString& s) {
        painter.drawText(QRect(10, y, width, TextCell + 4), Qt::AlignLeft | Qt::AlignTop, s);
    };
    if (p.TitlePrint == 0) {
        const std::optional<QString> title =
            SetTitleText2(r, language, p.SensPrint, p.UseModelPrint);
        if (!title)
            return false;
        text(H + 27, *title);
    }
    if (p.MeasurementDatePrint == 0)
        text(H + 46, MeasurementDateLine(language, p.MeasurementDate, r.DataNo));
    if (p.CreationDatePrint == 0)
        text(p.MeasurementDatePrint == 0 ? H + 65 : H + 46,
             CreationDateLine(language, p.CreationDate));

    // 11. The frame.
    painter.drawLine(0, 20, right, 20);
    painter.drawLine(50, 20, 50, H + 20);
    painter.drawLine(0, H + 20, right, H + 20);
    return true;
}

// S = 7 GainMode + Gain, the sensitivity's caption offset, when it lies in 1..14.
std::optional<int> sensitivityIndex(const MeasurementRecord& r) {
    const int S = 7 * r.GainMode + r.Gain;
    if (S < 1 || S > 14)
        return std::nullopt;
    return S;
}

// The processing name with the peak suffix.
std::optional<QString> processingName(const MeasurementRecord& r, const LanguageTables& language) {
    if (r.ProcCode < 0 || r.ProcCode > 8)
        return std::nullopt;
    const auto& C = language.Captions;
    QString name = C[static_cast<size_t>(114 + r.ProcCode)];
    // The language files hold the peak suffix after the seven processing names.
    if (r.PeakFlag == 1)
        name += C[121];
    return name;
}

} // namespace

CompositionParams PrintProcParams(const Settings& s, const QDate& creationDate) {
    CompositionParams p;
    p.AModePrint = s.AModePrint;
    p.StartTrace = 1;
    p.EndTrace = 0;
    p.DistanceFromFile = 1;
    p.MeasurementDatePrint = s.MeasurementDatePrint;
    p.MeasurementDate = QDate();
    p.CreationDatePrint = s.CreationDatePrint;
    p.CreationDate = creationDate;
    p.CrossCursorPrint = s.CrossCursorPrint;
    p.SensPrint = s.SensPrint;
    p.UseModelPrint = s.UseModelPrint;
    p.TitlePrint = 0;
    return p;
}

bool MakeJPG730(const MeasurementDocument& doc, CompositionParams& p, QImage& pics) {
    return compose<Family730>(doc, p, pics);
}

bool MakeJPG940(const MeasurementDocument& doc, CompositionParams& p, QImage& pics) {
    return compose<Family940>(doc, p, pics);
}

bool MakeJPG(const MeasurementDocument& doc, CompositionParams& p, QImage& pics) {
    return doc.record().is940() ? MakeJPG940(doc, p, pics) : MakeJPG730(doc, p, pics);
}

std::optional<QString> SetTitleText2(const MeasurementRecord& r, const LanguageTables& language,
                                     int16_t SensPrint, int16_t UseModelPrint) {
    const auto& C = language.Captions;
    const std::optional<int> S = sensitivityIndex(r);
    const std::optional<QString> processing = processingName(r, language);
    if (!S || !processing || r.ViewRange < 0 || r.ViewRange > 5)
        return std::nullopt;
    QString t = *processing;
    if (r.Permittivity != 0)
        t += QStringLiteral("   ") + C[113] + u8("：") + FormatFixed(r.Permittivity, 1);
    if (SensPrint == 0)
        t += QStringLiteral("   ") + C[123] + u8("：") + C[static_cast<size_t>(22 + *S)];
    if (UseModelPrint == 0)
        t += r.is940() ? u8("   VX：940") : u8("   VX：730");
    return t;
}

std::optional<QString> SetTitleText(const MeasurementRecord& r, const LanguageTables& language,
                                    const QString& FileName) {
    const auto& C = language.Captions;
    const std::optional<int> S = sensitivityIndex(r);
    const std::optional<QString> processing = processingName(r, language);
    if (!S || !processing || r.ViewRange < 0 || r.ViewRange > 5)
        return std::nullopt;
    const QDate date = RecordMeasureDate(r);
    const QString shown = date.isValid() ? ShortDateText(date) : r.MeasureDate;
    auto group = [](const QString& caption, const QString& value) {
        return QStringLiteral("  [") + caption + QStringLiteral(" : ") + value +
               QStringLiteral("]");
    };
    return FileName + group(C[125], shown) + group(C[126], QString::number(r.DataNo)) +
           group(C[123], C[static_cast<size_t>(22 + *S)]) + group(C[124], *processing) +
           group(C[4], C[static_cast<size_t>(81 + r.ViewRange)]);
}

QString MeasurementDateLine(const LanguageTables& language, const QDate& date, int dataNo) {
    return language.Captions[192] + u8("：") + (date.isValid() ? ShortDateText(date) : QString()) +
           u8(" No：") + QString::number(dataNo);
}

QString CreationDateLine(const LanguageTables& language, const QDate& date) {
    return language.Captions[191] + u8("：") + (date.isValid() ? ShortDateText(date) : QString());
}

QDate RecordMeasureDate(const MeasurementRecord& r) {
    return ParseDateText(r.MeasureDate);
}

} // namespace rebar
