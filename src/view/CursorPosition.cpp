#include "view/CursorPosition.h"

#include "base/Numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace rebar {

namespace {
bool isWide(int viewRange) {
    return viewRange >= 3 && viewRange <= 5;
}
} // namespace

int RowToSample730(int row, int viewRange, int coverMagnification) {
    const int b = coverMagnification != 0 ? 2 : 1;
    switch (viewRange) {
    case 0:
    case 3:
        return b * row;
    case 1:
    case 4:
        return b * (1 + 3 * truncDiv(row - 1, 2) + (row - 1) % 2);
    case 2:
    case 5:
        return 2 * b * row;
    default:
        return 0;
    }
}

int RowToSample940(int row, int viewRange, int coverMagnification) {
    const int b = coverMagnification != 0 ? 2 : 1;
    switch (viewRange) {
    case 0:
    case 3:
        return b * row;
    case 2:
    case 5:
        return 2 * b * row;
    case 1:
    case 4: {
        int s;
        if (row <= 1)
            s = 1;
        else if (row % 2 == 0)
            s = 3 * (row / 2) - 1;
        else
            s = 3 * ((row - 1) / 2);
        return b * s;
    }
    default:
        return 0;
    }
}

int GetXPos730r(int column, int viewRange) {
    if (viewRange >= 0 && viewRange <= 2)
        return column;
    if (isWide(viewRange))
        return 2 * column - 1;
    return 0;
}

int GetXPos940r(int column, int viewRange) {
    if (isWide(viewRange))
        return 2 * column;
    return column;
}

int TraceToColumn730(int trace, int viewRange) {
    if (viewRange >= 0 && viewRange <= 2)
        return trace;
    if (isWide(viewRange)) {
        const int c = static_cast<int>(roundHalfEven(trace / 2.0));
        return c == 0 ? 1 : c;
    }
    return 0;
}

double TraceToColumn940(int trace, int viewRange) {
    if (isWide(viewRange)) {
        const double c = roundHalfEven(trace / 2.0) + 1;
        return c == 0 ? 1 : c;
    }
    return trace + 1;
}

namespace {

// Distance, time and depth of a column and sample; the column already clamped.
CursorPosition position(const MeasurementRecord& r, const CalibrationTables& t, double column,
                        double sample, bool f940) {
    CursorPosition p;
    p.timeNs = std::trunc(10.0 * (sample / 128.0)) / 10.0;
    p.depthCm = sample;
    if (sample > 0 && r.Permittivity != 0) {
        const double e = roundHalfEven(10.0 * r.Permittivity);
        const int s = static_cast<int>(sample);
        const int last = f940 ? 1536 : 1024;
        if (e < 20 || e > 200 || s < 1 || s > last || s != sample || !t.loaded) {
            p.ok = false;
        } else {
            const int ei = static_cast<int>(e);
            p.depthCm = (f940 ? t.depth940(ei, s) : static_cast<double>(t.depth730(ei, s))) / 10.0;
        }
    }
    const double tracesPerColumn = isWide(r.ViewRange) ? 2.0 : 1.0;
    if (r.XScale != 0) {
        p.distance = column * 0.05 * tracesPerColumn;
    } else {
        // The pitch of one trace first, then the traces counted.
        const double pitch = 0.0025 * (1.0 + r.XAdjust / 100.0);
        p.distance = column * tracesPerColumn * pitch;
    }
    return p;
}

} // namespace

CursorPosition CalcPosition730(const MeasurementRecord& r, const CalibrationTables& t,
                               double column, double sample) {
    column = std::clamp(column, 0.0, static_cast<double>(r.TraceCount));
    return position(r, t, column, sample, false);
}

CursorPosition CalcPosition940(const MeasurementRecord& r, const CalibrationTables& t,
                               double column, double sample) {
    column = std::clamp(column - 1, 0.0, static_cast<double>(r.TraceCount));
    // The held traces of a long file are its last ones.
    column += std::max(r.SkippedTraces, 0);
    return position(r, t, column, sample, true);
}

QString FormatFixed(double value, int decimals) {
    if (!std::isfinite(value))
        return QString::number(value);
    // The double's exact value rounded to the decimals, an exact half to the even neighbour
    // (the C library's conversion does both). A figure that rounds to zero shows no sign.
    decimals = std::clamp(decimals, 0, 20);
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    const char* out = text;
    if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1))
        ++out;
    return QString::fromLatin1(out);
}

QString PermittivityText(double e) {
    static const std::pair<double, const char*> tags[] = {
        {10.7, "εr [+3]"}, {9.8, "εr [+2]"}, {8.9, "εr [+1]"}, {8.0, "εr [+0]"},
        {7.4, "εr [-1]"},  {6.8, "εr [-2]"}, {6.2, "εr [-3]"},
    };
    // Compared at the single precision the files store the permittivity in, so a preset read
    // from a file (7.4 as a float) carries its tag like one chosen from the menu.
    QString tag = QStringLiteral("εr");
    for (const auto& [value, text] : tags)
        if (static_cast<float>(e) == static_cast<float>(value))
            tag = QString::fromUtf8(text);
    return FormatFixed(e, 1) + tag;
}

ReadoutTexts FormatReadouts(const MeasurementRecord& r, const LanguageTables& language,
                            const CursorPosition& p) {
    ReadoutTexts out;
    const auto& C = language.Captions;
    const double d = p.distance;
    if (r.XScale != 0) {
        out.distanceCaption = C[99];
        out.distanceValue = FormatFixed(d, 3) + QStringLiteral("s");
        out.distanceSet = true;
    } else {
        out.distanceCaption = C[97];
        out.distanceSet = true;
        if (r.XUnit == QLatin1String("m"))
            out.distanceValue = FormatFixed(d, 4) + QStringLiteral("m");
        else if (r.XUnit == QLatin1String("cm"))
            out.distanceValue = FormatFixed(d * 100, 2) + QStringLiteral("cm");
        else if (r.XUnit == QLatin1String("mm"))
            out.distanceValue = FormatFixed(d * 1000, 1) + QStringLiteral("mm");
        else if (r.XUnit == QLatin1String("inch"))
            out.distanceValue = FormatFixed(d / 0.0254, 2) + QStringLiteral("inch");
        else
            out.distanceSet = false;
    }
    if (r.Permittivity != 0) {
        out.depthCaption = C[98];
        out.depthSet = true;
        const double depth = p.depthCm;
        if (r.YUnit == QLatin1String("m"))
            out.depthValue = FormatFixed(depth / 100, 3) + QStringLiteral("m");
        else if (r.YUnit == QLatin1String("cm"))
            out.depthValue = FormatFixed(depth, 1) + QStringLiteral("cm");
        else if (r.YUnit == QLatin1String("mm"))
            out.depthValue = FormatFixed(depth * 10, 0) + QStringLiteral("mm");
        else if (r.YUnit == QLatin1String("inch"))
            out.depthValue = FormatFixed(depth / 2.54, 2) + QStringLiteral("inch");
        else
            out.depthSet = false;
        out.permittivityCaption = C[113];
        out.permittivityValue = PermittivityText(r.Permittivity);
    } else {
        out.depthCaption = C[100];
        out.depthValue = FormatFixed(p.timeNs, 1) + QStringLiteral("ns");
        out.depthSet = true;
    }
    return out;
}

} // namespace rebar
