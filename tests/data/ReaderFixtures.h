#pragma once
// Opening files in the reader tests through the reading half of every open (kind detection,
// then the reader of the kind), with the progress reports and event pumps of the read recorded.

#include "data/FileOpen.h"
#include "data/MeasurementRecord.h"
#include "data/ReadResult.h"
#include "support/TestSupport.h"

#include <QByteArray>
#include <QString>
#include <cstring>
#include <ostream>
#include <vector>

// Texts in test failure messages as text.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace rebar::test {

struct Opened {
    MeasurementRecord r;
    ReadResult res;
    int16_t maxTraces = 0; // the program-wide limit as the reader left it
    std::vector<int> reports;
    int pumps = 0;
    bool ok() const { return res.ok; }
};

inline Opened openFile(const QString& path) {
    Opened o;
    o.maxTraces = 1234; // neither of the values a reader sets
    ReadContext ctx;
    ctx.MaxTraces = &o.maxTraces;
    ctx.progress = [&o](int p) { o.reports.push_back(p); };
    ctx.pumpEvents = [&o] { ++o.pumps; };
    const OpenResult res = ReadMeasurementPath(o.r, path, ctx);
    o.res = res ? ReadResult::success() : ReadResult::failure(res.reason);
    return o;
}

inline Opened openBytes(const Scratch& dir, const QString& name, const QByteArray& bytes) {
    return openFile(dir.write(name, bytes));
}

// Little- and big-endian numbers in a byte array.
template <typename T> void putLE(QByteArray& b, qsizetype off, T v) {
    std::memcpy(b.data() + off, &v, sizeof v);
}
template <typename T> T getLE(const QByteArray& b, qsizetype off) {
    T v;
    std::memcpy(&v, b.constData() + off, sizeof v);
    return v;
}
inline void appendBE16(QByteArray& b, int v) {
    b.append(static_cast<char>((v >> 8) & 0xFF));
    b.append(static_cast<char>(v & 0xFF));
}
inline void appendBE32(QByteArray& b, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int s = 24; s >= 0; s -= 8)
        b.append(static_cast<char>((u >> s) & 0xFF));
}

} // namespace rebar::test
