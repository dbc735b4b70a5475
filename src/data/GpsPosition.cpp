#include "data/GpsPosition.h"

#include <cmath>

namespace rebar {

namespace {

// A header field up to its first NUL byte, read as a number.
std::optional<double> numberField(const ZvxHeader& h, int offset, int length) {
    const QString text =
        QString::fromLatin1(reinterpret_cast<const char*>(h.Bytes.data()) + offset, length)
            .section(QChar(0), 0, 0)
            .trimmed();
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

std::optional<GpsPosition> GpsPositionOf(const MeasurementRecord& r) {
    if (r.FileKind != KindZvx4)
        return std::nullopt;
    const auto lat = numberField(r.Zvx, ZvxHeader::OffLatitude, ZvxHeader::LenLatitude);
    const auto lon = numberField(r.Zvx, ZvxHeader::OffLongitude, ZvxHeader::LenLongitude);
    if (!lat || !lon)
        return std::nullopt;
    return GpsPosition{*lat, *lon};
}

} // namespace rebar
