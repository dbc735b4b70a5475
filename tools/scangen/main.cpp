// scangen: writes synthetic measurement files from a scene description.
//
//   scangen [--traces N] [--er 6.5] [--bar DIST_MM:COVER_MM]... [--pitch MM] [--noise X]
//           [--seed S] [--slab MM] [--freq GHZ] [--note TEXT] [--line K] [--format rdd] -o FILE
//   scangen --samples DIR
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <cstdio>

using namespace rebar::scangen;

namespace {

const char* const Usage =
    "usage: scangen [options] -o FILE\n"
    "       scangen --samples DIR\n"
    "\n"
    "Writes a synthetic scan of a concrete slab with rebars as a measurement file.\n"
    "\n"
    "  --traces N        number of measured traces (default 800)\n"
    "  --er X            relative permittivity of the concrete (default 6.5)\n"
    "  --bar D:C         a rebar at distance D mm along the line with cover C mm (repeatable)\n"
    "  --pitch MM        distance between traces in mm (default 2.5)\n"
    "  --noise X         noise standard deviation relative to the surface wave (default 0)\n"
    "  --seed S          noise seed (default 1); the same seed gives the same file\n"
    "  --slab MM         slab thickness for a back-wall echo (default none)\n"
    "  --freq GHZ        centre frequency of the wavelet (default 2.0)\n"
    "  --note TEXT       note stored in the file\n"
    "  --line K          flag measured trace K as the processing line\n"
    "  --no-markers      store no markers (default: one marker at every bar's apex)\n"
    "  --format F        file format: rdd (default)\n"
    "  -o FILE           the file to write\n"
    "  --samples DIR     write the shipped sample files into DIR\n";

int usageError(const QString& why) {
    std::fprintf(stderr, "scangen: %s\n\n%s", qPrintable(why), Usage);
    return 2;
}

bool toDouble(const QString& s, double& out) {
    bool ok = false;
    out = s.toDouble(&ok);
    return ok;
}

bool toInt(const QString& s, int& out) {
    bool ok = false;
    out = s.toInt(&ok);
    return ok;
}

struct Sample {
    const char* name;
    Scene scene;
};

// The files shipped beside the program: a floor slab and a wall, as a scanner records them.
std::vector<Sample> sampleScenes() {
    std::vector<Sample> out;

    Scene slab;
    slab.traces = 800;
    slab.er = 7.4;
    slab.slabMm = 200;
    slab.noise = 0.01;
    slab.seed = 730001;
    slab.dataNo = 1;
    slab.note = QStringLiteral("Floor slab, grid line B, 6 bars at 200 mm");
    slab.bars = {{450, 38}, {650, 45}, {850, 52}, {1050, 41}, {1250, 60}, {1450, 55}};
    out.push_back({"SLAB0001.RDD", slab});

    Scene wall;
    wall.traces = 640;
    wall.er = 6.2;
    wall.slabMm = 180;
    wall.noise = 0.015;
    wall.seed = 730002;
    wall.dataNo = 2;
    wall.date = QDate(2024, 5, 18);
    wall.time = QStringLiteral("14:05:12");
    wall.note = QStringLiteral("Wall, east side, 4 bars at 150 mm");
    wall.bars = {{420, 72}, {570, 78}, {720, 80}, {870, 70}};
    out.push_back({"WALL0002.RDD", wall});
    return out;
}

int writeSamples(const QString& dir) {
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "scangen: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    for (const Sample& s : sampleScenes()) {
        QString error;
        if (!writeRdd(s.scene, QDir(dir).filePath(QString::fromLatin1(s.name)), &error)) {
            std::fprintf(stderr, "scangen: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    Scene scene;
    Format format = Format::Rdd;
    QString output;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == QLatin1String("--no-markers")) {
            scene.markBars = false;
            continue;
        }
        static const QStringList valued = {
            QStringLiteral("--samples"), QStringLiteral("--traces"), QStringLiteral("--er"),
            QStringLiteral("--pitch"),   QStringLiteral("--noise"),  QStringLiteral("--seed"),
            QStringLiteral("--slab"),    QStringLiteral("--freq"),   QStringLiteral("--note"),
            QStringLiteral("--line"),    QStringLiteral("--bar"),    QStringLiteral("--format"),
            QStringLiteral("-o")};
        if (!valued.contains(a))
            return usageError(QStringLiteral("unknown option %1").arg(a));
        if (i + 1 >= args.size())
            return usageError(QStringLiteral("%1 needs a value").arg(a));
        const QString& v = args[++i];
        bool ok = true;
        if (a == QLatin1String("--samples")) {
            return writeSamples(v);
        } else if (a == QLatin1String("--traces")) {
            ok = toInt(v, scene.traces) && scene.traces >= 1;
        } else if (a == QLatin1String("--er")) {
            ok = toDouble(v, scene.er) && scene.er >= 1.0 && scene.er <= 81.0;
        } else if (a == QLatin1String("--pitch")) {
            ok = toDouble(v, scene.pitchMm) && scene.pitchMm > 0;
        } else if (a == QLatin1String("--noise")) {
            ok = toDouble(v, scene.noise) && scene.noise >= 0;
        } else if (a == QLatin1String("--seed")) {
            scene.seed = v.toULongLong(&ok);
        } else if (a == QLatin1String("--slab")) {
            ok = toDouble(v, scene.slabMm) && scene.slabMm >= 0;
        } else if (a == QLatin1String("--freq")) {
            ok = toDouble(v, scene.centreGHz) && scene.centreGHz > 0.05;
        } else if (a == QLatin1String("--note")) {
            scene.note = v;
        } else if (a == QLatin1String("--line")) {
            ok = toInt(v, scene.processingLine) && scene.processingLine >= 0;
        } else if (a == QLatin1String("--bar")) {
            const QStringList parts = v.split(QLatin1Char(':'));
            SceneBar bar;
            ok = parts.size() == 2 && toDouble(parts[0], bar.distanceMm) &&
                 toDouble(parts[1], bar.coverMm) && bar.coverMm > 0;
            if (ok)
                scene.bars.push_back(bar);
        } else if (a == QLatin1String("--format")) {
            ok = formatFromName(v, format);
        } else if (a == QLatin1String("-o")) {
            output = v;
        }
        if (!ok)
            return usageError(QStringLiteral("bad value for %1: %2").arg(a, v));
    }
    if (output.isEmpty())
        return usageError(QStringLiteral("no output file (-o FILE)"));

    QString error;
    if (!writeScene(scene, format, output, &error)) {
        std::fprintf(stderr, "scangen: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
