#include "processing/DepthScale.h"

#include "base/Numeric.h"
#include "data/Family.h"

#include <QString>
#include <cmath>

namespace rebar {

namespace {

// The depth table of a family: Samples is the highest double-density sample it holds.
struct DepthOf730 {
    static constexpr int Samples = Family730::DDLast;
    static bool loaded(const CalibrationTables& t) {
        return t.DepthTable730.size() >=
               static_cast<size_t>(CalibrationTables::PermittivityCount) * (Samples + 1);
    }
    static double at(const CalibrationTables& t, int e, int s) { return t.depth730(e, s); }
};

struct DepthOf940 {
    static constexpr int Samples = Family940::DDLast;
    static bool loaded(const CalibrationTables& t) {
        return t.DepthTable940.size() >=
               static_cast<size_t>(CalibrationTables::PermittivityCount) * (Samples + 1);
    }
    static double at(const CalibrationTables& t, int e, int s) { return t.depth940(e, s); }
};

template <typename Family, typename Depth>
bool buildRowDepthTable(const MeasurementRecord& rec, const CalibrationTables& tables,
                        std::vector<int32_t>& out) {
    if (rec.Permittivity == 0)
        return true;
    const int e = PermittivityIndex(rec.Permittivity);
    if (e == 0 || !Depth::loaded(tables))
        return false;

    constexpr int M = Family::DisplayRows;
    bool ok = true;
    // D(s): the depth of sample s rounded half to even.
    auto D = [&](int s) -> int32_t {
        int32_t v = 0;
        if (s < 1 || s > Depth::Samples || !roundTo(Depth::at(tables, e, s), v))
            ok = false;
        return v;
    };

    std::vector<int32_t> L(M + 1, 0); // row list L(1..M)
    switch (rec.ViewRange) {
    case 0:
    case 3:
        for (int r = 1; r <= M; ++r)
            L[r] = D(r);
        break;
    case 1:
    case 4:
        // Two rows for every three samples: s, s + 1 shown, s + 2 skipped.
        for (int g = 0; 2 * g + 2 <= M && 3 * g + 2 <= Depth::Samples; ++g) {
            L[2 * g + 1] = D(3 * g + 1);
            L[2 * g + 2] = D(3 * g + 2);
        }
        break;
    case 2:
    case 5:
        for (int r = 1; r <= M; ++r)
            L[r] = D(2 * r - 1);
        break;
    default:
        break; // no rows
    }
    if (!ok)
        return false;

    if (rec.CoverMagnification == 0) {
        out = std::move(L);
    } else {
        std::vector<int32_t> half(M / 2 + 1, 0);
        for (int k = 1; k <= M / 2; ++k)
            half[k] = L[2 * k - 1];
        out = std::move(half);
    }
    out[0] = 0;
    return true;
}

// The permittivity written with the picture "#.0": one decimal, no leading zero (".0", "7.4").
QString formatHashDot0(double x) {
    if (!std::isfinite(x))
        return QString();
    const double tenths = roundHalfEven(std::fabs(x) * 10.0);
    if (tenths > 1e15)
        return QStringLiteral("*"); // beyond any preset; no exact text needed
    const auto t = static_cast<int64_t>(tenths);
    QString text;
    if (x < 0 && t != 0)
        text += QLatin1Char('-');
    if (t / 10 != 0)
        text += QString::number(t / 10);
    text += QLatin1Char('.') + QString::number(t % 10);
    return text;
}

} // namespace

int PermittivityIndex(double er) {
    int e = 0;
    if (!roundTo(er * 10.0, e))
        return 0;
    if (e < CalibrationTables::FirstPermittivityIndex ||
        e > CalibrationTables::LastPermittivityIndex)
        return 0;
    return e;
}

bool BuildRowDepthTable730(const MeasurementRecord& rec, const CalibrationTables& tables,
                           std::vector<int32_t>& RowDepthTable) {
    return buildRowDepthTable<Family730, DepthOf730>(rec, tables, RowDepthTable);
}

bool BuildRowDepthTable940(const MeasurementRecord& rec, const CalibrationTables& tables,
                           std::vector<int32_t>& RowDepthTable) {
    return buildRowDepthTable<Family940, DepthOf940>(rec, tables, RowDepthTable);
}

int DepthToRow(const std::vector<int32_t>& RowDepthTable, int depthMm) {
    const int rows = static_cast<int>(RowDepthTable.size()) - 1;
    for (int r = 1; r <= rows; ++r) {
        if (RowDepthTable[r] == depthMm)
            return r;
        if (RowDepthTable[r] > depthMm)
            return r - 1;
    }
    return DepthBelowRange;
}

int PresetItemForPermittivity(double er) {
    static const char* const texts[] = {"10.7", "9.8", "8.9", "8.0", "7.4", "6.8", "6.2"};
    const QString text = formatHashDot0(er);
    for (int i = 0; i < 7; ++i)
        if (text == QLatin1String(texts[i]))
            return i;
    return text == QLatin1String(".0") ? PresetItemTime : PresetItemOther;
}

} // namespace rebar
