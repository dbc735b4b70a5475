// Writes the seed corpora of the reader fuzz targets: a few small files of every format, from
// the scene generator, into DIR/<target>/.
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <QDir>
#include <cstdio>

using namespace rebar::scangen;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    struct Target {
        const char* dir;
        const char* name;
        Format format;
    };
    const Target targets[] = {
        {"rdd", "S.RDD", Format::Rdd},
        {"zvx", "S.ZVX", Format::Zvx},
        {"zvx", "S3.ZVX", Format::Zvx3},
        {"vxd_b", "B0001.VXD", Format::VxdB},
        {"vxd_t", "T0001.VXD", Format::VxdT},
        {"txt", "S.001", Format::Txt},
        {"txt_hex", "T0001.001", Format::TxtHex},
        {"dzt", "S.DZT", Format::Dzt},
    };
    for (const Target& t : targets) {
        const QString dir = root.filePath(QString::fromLatin1(t.dir));
        if (!QDir().mkpath(dir))
            return 1;
        // One trace without marks, and three traces with marks in every group.
        for (int traces : {1, 3}) {
            Scene s;
            s.traces = traces;
            s.er = 7.4;
            s.pitchMm = 10;
            s.noise = 0.01;
            s.markGroups = 3;
            s.processingLine = traces > 1 ? 2 : 0;
            if (traces > 1) {
                s.bars = {{5, 30}, {12, 45}, {18, 60}};
                s.note = QStringLiteral("n\nm");
                s.company = QStringLiteral("検査");
                s.latitude = QStringLiteral("35.6");
            }
            QString error;
            const QString path = QDir(dir).filePath(QString::number(traces) + QLatin1Char('_') +
                                                    QString::fromLatin1(t.name));
            if (!writeScene(s, t.format, path, &error)) {
                std::fprintf(stderr, "make_fuzz_seeds: %s\n", qPrintable(error));
                return 1;
            }
        }
    }
    return 0;
}
