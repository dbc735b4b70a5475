#include "scangen/Writers.h"

#include "data/Family.h"
#include "data/Numeric.h"
#include "data/TextEncoding.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace rebar::scangen {

namespace {

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

// The permittivity presets of the depth-calibration menu, compared at single precision.
int permittivityPreset(double er) {
    static constexpr std::array<float, 7> presets{10.7f, 9.8f, 8.9f, 8.0f, 7.4f, 6.8f, 6.2f};
    for (size_t i = 0; i < presets.size(); ++i)
        if (static_cast<float>(er) == presets[i])
            return static_cast<int>(i);
    return 8;
}

// XAdjust: the trace pitch is 2.5 mm x (1 + XAdjust / 100).
int distanceAdjust(double pitchMm) {
    int16_t adj = 0;
    return roundTo((pitchMm / 2.5 - 1.0) * 100.0, adj) ? adj : 0;
}

class RddHeader {
public:
    void text(const char* key, const QString& value) {
        m_out += '"';
        m_out += key;
        m_out += "\",\"";
        m_out += encodeSystemText(value);
        m_out += "\"\r\n";
    }
    void number(const char* key, const QString& value) {
        m_out += '"';
        m_out += key;
        m_out += "\",";
        m_out += value.toLatin1();
        m_out += "\r\n";
    }
    void number(const char* key, long long value) { number(key, QString::number(value)); }
    void bare(long long a, long long b) {
        m_out += QByteArray::number(a) + ',' + QByteArray::number(b) + "\r\n";
    }
    const QByteArray& bytes() const { return m_out; }

private:
    QByteArray m_out;
};

QByteArray rddHeader(const Scene& s) {
    RddHeader h;
    h.text("VER", QStringLiteral("730"));
    h.text("NOTE", s.note);
    // The scanner's own date form, which every computer reads back.
    h.text("DATE", s.date.toString(QStringLiteral("yyyy/MM/dd")));
    h.text("TIME", s.time);
    h.number("DATA", s.dataNo);
    h.number("LC", s.traces);
    h.number("XSCA", 0);
    h.number("XADJ", distanceAdjust(s.pitchMm));
    h.number("GAIN", s.gain);
    h.number("AF", s.gainMode);
    h.number("DEPTH", permittivityPreset(s.er));
    h.number("E", QString::number(static_cast<double>(static_cast<float>(s.er)), 'g', 7));
    h.number("COLOR", s.colorCode);
    h.number("DIR", s.direction);
    h.number("RANGE", s.viewRange);
    h.text("SEARCH", s.procCode == 5 ? QStringLiteral("USER") : QStringLiteral("INT"));
    h.number("PROC", s.procCode);
    h.number("PEAK", 0);
    h.number("REF", s.processingLine);
    h.text("XUNIT", s.xUnit);
    h.text("YUNIT", s.yUnit);
    std::vector<Scene::Apex> marks;
    if (s.markBars)
        marks = s.apexes();
    if (marks.empty())
        marks.push_back({0, 0}); // one free entry, as the scanner writes an empty list
    h.number("MARKER", static_cast<long long>(marks.size()) - 1);
    for (const Scene::Apex& m : marks)
        h.bare(m.position, static_cast<long long>(m.sample) - 1);
    h.text("MAINDATA", QString());
    return h.bytes();
}

} // namespace

bool formatFromName(const QString& name, Format& format) {
    if (name.compare(QLatin1String("rdd"), Qt::CaseInsensitive) == 0) {
        format = Format::Rdd;
        return true;
    }
    return false;
}

int16_t sample730(double amplitude) {
    const double v = std::clamp(2048.0 + roundHalfEven(amplitude * Scale730), 0.0, 4095.0);
    return static_cast<int16_t>(v);
}

bool writeRdd(const Scene& scene, const QString& path, QString* error) {
    if (scene.traces < 1)
        return fail(error, QStringLiteral("a scene needs at least one trace"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    const QByteArray header = rddHeader(scene);
    if (f.write(header) != header.size())
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));

    constexpr int R = Family730::RawLast;
    constexpr int TracesPerWrite = 1024;
    std::vector<double> amp(R + 1);
    std::vector<unsigned char> chunk;
    chunk.reserve(static_cast<size_t>(TracesPerWrite) * (R + 1) * 2);
    auto flush = [&]() {
        const qint64 n = static_cast<qint64>(chunk.size());
        const bool ok = f.write(reinterpret_cast<const char*>(chunk.data()), n) == n;
        chunk.clear();
        return ok;
    };
    for (int t = -1; t <= scene.traces; ++t) {
        scene.renderTrace(t, R, amp.data());
        for (int j = 0; j <= R; ++j) {
            int16_t v = j == 0 ? int16_t{0} : sample730(amp[j]);
            if (j == 0 && t >= 1 && t == scene.processingLine)
                v = 48; // status word of the processing-line trace
            const auto u = static_cast<uint16_t>(v);
            chunk.push_back(static_cast<unsigned char>(u & 0xFF));
            chunk.push_back(static_cast<unsigned char>(u >> 8));
        }
        if ((t + 2) % TracesPerWrite == 0 && !flush())
            return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    }
    if (!flush() || !f.flush())
        return fail(error, QStringLiteral("%1: %2").arg(path, f.errorString()));
    return true;
}

bool writeScene(const Scene& scene, Format format, const QString& path, QString* error) {
    switch (format) {
    case Format::Rdd:
        return writeRdd(scene, path, error);
    }
    return fail(error, QStringLiteral("unknown format"));
}

} // namespace rebar::scangen
