#include "view/MarkerEditing.h"

#include "data/Family.h"
#include "view/CursorPosition.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace rebar {

// ---- Delete input ---------------------------------------------------------------------------

namespace {

// A list item as a marker number: digits only (the characters were checked before); a number
// too long for 32 bits reads as one beyond any list.
std::optional<int64_t> numberOf(const QString& item) {
    if (item.isEmpty())
        return std::nullopt;
    int64_t v = 0;
    for (const QChar c : item) {
        if (!c.isDigit())
            return std::nullopt;
        v = std::min<int64_t>(v * 10 + c.digitValue(), int64_t{1} << 40);
    }
    return v;
}

} // namespace

DeleteRequest ParseDeleteInput(const QString& answer, int lastNumber) {
    DeleteRequest req;
    const QString text = answer.toUpper().trimmed();
    if (text.isEmpty())
        return req;
    if (text == QLatin1String("ALL")) {
        req.kind = DeleteRequest::All;
        return req;
    }
    for (const QChar c : text)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char('+') &&
            c != QLatin1Char('-')) {
            req.message = 27;
            return req;
        }
    const bool plus = text.contains(QLatin1Char('+'));
    const bool minus = text.contains(QLatin1Char('-'));
    if (plus && minus) {
        req.message = 27;
        return req;
    }
    auto inList = [lastNumber](int64_t k) { return k >= 1 && k <= lastNumber; };
    req.kind = DeleteRequest::Numbers;
    if (minus) {
        const QStringList ends = text.split(QLatin1Char('-'));
        const std::optional<int64_t> a = ends.size() == 2 ? numberOf(ends[0]) : std::nullopt;
        const std::optional<int64_t> b = ends.size() == 2 ? numberOf(ends[1]) : std::nullopt;
        if (!a || !b)
            req.message = 27;
        else if (!inList(*a) || !inList(*b))
            req.message = 28;
        else
            for (int64_t k = std::min(*a, *b); k <= std::max(*a, *b); ++k)
                req.numbers.push_back(static_cast<int>(k));
        return req;
    }
    const QStringList items = text.split(QLatin1Char('+'));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const std::optional<int64_t> k = numberOf(items[i]);
        const bool last = i + 1 == items.size();
        if (!k) {
            // The last item is read as a single number: one that is not a number deletes
            // nothing more.
            if (!last)
                req.message = 27;
            break;
        }
        if (!inList(*k)) {
            req.message = 28;
            break;
        }
        req.numbers.push_back(static_cast<int>(*k));
    }
    if (req.numbers.empty() && req.message == 0)
        req.kind = DeleteRequest::Nothing;
    return req;
}

// ---- Rows and samples -----------------------------------------------------------------------

int SingleSampleOfRow(const MeasurementRecord& r, int row) {
    return RowToSample(r, row) / 2;
}

namespace {

int displayRowLimit(const MeasurementRecord& r) {
    return r.is940() ? Family940::DisplayRows : Family730::DisplayRows;
}

// The first row whose value(row) is the largest one not above s (value grows with the row).
template <typename Value> int firstRowAtOrBefore(const MeasurementRecord& r, int s, Value value) {
    const int limit = displayRowLimit(r);
    int best = 0, bestValue = 0;
    for (int row = 1; row <= limit; ++row) {
        const int v = value(row);
        if (v > s)
            break;
        if (best == 0 || v > bestValue) {
            best = row;
            bestValue = v;
        }
    }
    return best;
}

} // namespace

int RowOfSingleSample(const MeasurementRecord& r, int s) {
    return firstRowAtOrBefore(r, s, [&r](int row) { return SingleSampleOfRow(r, row); });
}

int RowOfSample(const MeasurementRecord& r, int s) {
    return firstRowAtOrBefore(r, s, [&r](int row) { return RowToSample(r, row); });
}

int ColumnOfTrace(const MeasurementRecord& r, int t) {
    if (r.is940())
        return static_cast<int>(TraceToColumn940(t - 1, r.ViewRange));
    return TraceToColumn730(t, r.ViewRange);
}

// ---- Peak search and snap -------------------------------------------------------------------

namespace {

template <typename Family>
CursorTarget peakSearch(const MeasurementRecord& r, int column, int row, int lastColumn,
                        int lastSample) {
    CursorTarget out;
    const auto& W = Family::work(r);
    const int S = Family::RawLast;
    const int t = GetXPos(r, column);
    if (t < 2 || !W.hasTrace(t) || W.lastSample() < S)
        return out;
    const auto* v = W.trace(t);
    const int s0 = SingleSampleOfRow(r, row);
    int target = 0;
    if (t == lastColumn && s0 == lastSample && s0 >= 1 && s0 <= S) {
        // The next weaker positive lobe: of the lobes' peaks below the value at s0, the largest.
        const auto below = v[s0];
        bool have = false;
        typename Family::Sample best{};
        int s = 1;
        while (s <= S) {
            if (v[s] <= Family::LobeLevel) {
                ++s;
                continue;
            }
            int peak = s;
            for (; s <= S && v[s] > Family::LobeLevel; ++s)
                if (v[s] > v[peak])
                    peak = s;
            if (v[peak] < below && (!have || v[peak] > best)) {
                have = true;
                best = v[peak];
                target = peak;
            }
        }
        if (!have)
            return out;
    } else {
        target = 1;
        for (int s = 2; s <= S; ++s)
            if (v[s] > v[target])
                target = s;
    }
    out.found = true;
    out.row = RowOfSingleSample(r, target);
    return out;
}

template <typename Family> CursorTarget snap(const MeasurementRecord& r, int column, int row) {
    CursorTarget out;
    const auto& W = Family::work(r);
    const int S = Family::RawLast;
    const int N = r.TraceCount;
    if (W.lastSample() < S)
        return out;
    const int t = GetXPos(r, column);
    const int s0 = SingleSampleOfRow(r, row);
    struct Candidate {
        int trace;
        int sample;
        int64_t value;
    };
    std::vector<Candidate> candidates;
    for (int j = std::max(t - 10, 2); j <= std::min(t + 10, N - 1); ++j) {
        if (!W.hasTrace(j))
            continue;
        const auto* v = W.trace(j);
        int64_t best = Family::SnapStart;
        int at = 0;
        for (int s = std::max(s0 - 10, 1); s <= std::min(s0 + 10, S); ++s)
            if (v[s] > best) {
                best = v[s];
                at = s;
            }
        if (at != 0)
            candidates.push_back({j, at, best / Family::SnapCompareStep});
    }
    if (candidates.empty())
        return out;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.value > b.value; });
    const Candidate* pick = &candidates.front();
    for (const Candidate& c : candidates)
        if (c.value == candidates.front().value && c.sample < pick->sample)
            pick = &c;
    out.found = true;
    out.column = ColumnOfTrace(r, pick->trace);
    out.row = RowOfSingleSample(r, pick->sample);
    return out;
}

} // namespace

CursorTarget PeakSearchTarget(const MeasurementRecord& r, int column, int row, int lastColumn,
                              int lastSample) {
    return r.is940() ? peakSearch<Family940>(r, column, row, lastColumn, lastSample)
                     : peakSearch<Family730>(r, column, row, lastColumn, lastSample);
}

CursorTarget SnapTarget(const MeasurementRecord& r, int column, int row) {
    return r.is940() ? snap<Family940>(r, column, row) : snap<Family730>(r, column, row);
}

} // namespace rebar
