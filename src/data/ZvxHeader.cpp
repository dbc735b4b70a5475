#include "data/ZvxHeader.h"

#include <QStringList>

namespace rebar {

QByteArray ZvxHeader::text(int off, int len) const {
    const char* p = reinterpret_cast<const char*>(Bytes.data() + off);
    int n = 0;
    while (n < len && p[n] != '\0')
        ++n;
    return QByteArray(p, n);
}

void ZvxHeader::putPadded(int off, int len, const QByteArray& bytes) {
    for (int i = 0; i < len; ++i)
        Bytes[static_cast<size_t>(off + i)] =
            i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : ' ';
}

namespace ZvxCodes {

namespace {
constexpr int ProcOfFileCode[] = {1, 4, 3, 2, 5, 0}; // codes 0..5; code 10 is mode 6
constexpr int ColorOfFileCode[] = {0, 2, 4, 6, 8, 1, 3, 5, 7, 9, 10, 11};
const char* const Units[] = {"mm", "cm", "m", "inch", "ns"};
} // namespace

int procCodeOf(int fileCode) {
    if (fileCode >= 0 && fileCode <= 5)
        return ProcOfFileCode[fileCode];
    return fileCode == 10 ? 6 : -1;
}

int fileCodeOfProc(int procCode) {
    if (procCode == 6)
        return 10;
    for (int c = 0; c <= 5; ++c)
        if (ProcOfFileCode[c] == procCode)
            return c;
    return -1;
}

int colorCodeOf(int fileCode) {
    return fileCode >= 0 && fileCode <= 11 ? ColorOfFileCode[fileCode] : -1;
}

int fileCodeOfColor(int colorCode) {
    for (int c = 0; c <= 11; ++c)
        if (ColorOfFileCode[c] == colorCode)
            return c;
    return -1;
}

QString unitOf(int code) {
    return code >= 0 && code <= 4 ? QString::fromLatin1(Units[code]) : QString();
}

int unitCodeOf(const QString& unit) {
    for (int c = 0; c <= 4; ++c)
        if (unit == QLatin1String(Units[c]))
            return c;
    return -1;
}

} // namespace ZvxCodes
} // namespace rebar
