// scangen: writes synthetic measurement files from a scene description.
//
//   scangen [--traces N] [--er 6.5] [--bar DIST_MM:COVER_MM]... [--bars FIRST:SPACING:COUNT:C]
//           [--pitch MM] [--noise X] [--seed S] [--slab MM] [--freq GHZ] [--polarity P]
//           [--surface-drift X] [--surface-shift NS] [--note TEXT] [--line K] [--groups G]
//           [--format rdd|zvx|zvx3|vxd-b|vxd-t|txt|txt-hex|dzt] [--bits B] [--channels C]
//           [--scan-samples N] [--range NS] [--surface NS] [--by-time] -o FILE
//   scangen --samples DIR
#include "scangen/DztWriter.h"
#include "scangen/Scene.h"
#include "scangen/Writers.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <algorithm>
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
    "  --bars F:S:N:C    N rebars every S mm from F mm on, with cover C mm, or covers\n"
    "                    C1/C2/.. taken in turn (repeatable)\n"
    "  --pitch MM        distance between traces in mm (default 2.5)\n"
    "  --noise X         noise standard deviation relative to the surface wave (default 0)\n"
    "  --seed S          noise seed (default 1); the same seed gives the same file\n"
    "  --slab MM         slab thickness for a back-wall echo (default none)\n"
    "  --freq GHZ        centre frequency of the wavelet (default 2.0)\n"
    "  --polarity P      positive (default): a bar's strongest lobe is positive, as the\n"
    "                    scanners record it; negative: the bars' echoes turned over\n"
    "  --surface-drift X relative change of the surface wave's height along the line\n"
    "                    (default 0.03)\n"
    "  --surface-shift NS  largest change of the surface wave's arrival time along the line\n"
    "                    (default 0)\n"
    "  --note TEXT       note stored in the file\n"
    "  --line K          flag measured trace K as the processing line\n"
    "  --no-markers      store no markers (default: one marker at every bar's apex)\n"
    "  --groups G        940 family: spread the marks over G mark groups, 1..3 (default 1)\n"
    "  --format F        file format (default rdd):\n"
    "                      rdd      730 family RDD file\n"
    "                      txt      730 family text measurement data, binary samples\n"
    "                      txt-hex  the same with hexadecimal samples (name must start with T)\n"
    "                      zvx      940 family ZVX file with both channels, comments, GPS\n"
    "                      zvx3     940 family ZVX file as saved from a VXD file\n"
    "                      vxd-b    940 family VXD file, binary (name must start with B)\n"
    "                      vxd-t    940 family VXD file, text (name must start with T)\n"
    "                      dzt      DZT file of another maker's unit (ends in .DZT)\n"
    "  DZT files only:\n"
    "  --bits B          bits per sample: 8, 16 or 32 (default 16)\n"
    "  --channels C      channels 1..4; channel c holds the scene at 1/c amplitude (default 1)\n"
    "  --scan-samples N  samples per trace, with the two leading words (default 512)\n"
    "  --range NS        time window of a trace in ns (default 12)\n"
    "  --surface NS      time of the surface echo in the trace in ns (default 1)\n"
    "  --by-time         no scans per metre: a line recorded by time\n"
    "  -o FILE           the file to write\n"
    "  --samples DIR     write the shipped sample files (one or more of every format) into "
    "DIR\n";

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

// "FIRST:SPACING:COUNT:COVER[/COVER..]": COUNT bars every SPACING mm from FIRST mm on.
bool addBarRow(const QString& text, std::vector<SceneBar>& bars) {
    const QStringList parts = text.split(QLatin1Char(':'));
    double first = 0, spacing = 0;
    int count = 0;
    if (parts.size() != 4 || !toDouble(parts[0], first) || !toDouble(parts[1], spacing) ||
        !toInt(parts[2], count) || count < 1 || count > 10000 || spacing <= 0)
        return false;
    std::vector<double> covers;
    for (const QString& c : parts[3].split(QLatin1Char('/'))) {
        double cover = 0;
        if (!toDouble(c, cover) || cover <= 0)
            return false;
        covers.push_back(cover);
    }
    for (int i = 0; i < count; ++i)
        bars.push_back({first + spacing * i, covers[static_cast<size_t>(i) % covers.size()]});
    return true;
}

struct Sample {
    const char* name;
    Format format;
    Scene scene;
};

// Bars every spacing mm from first on, with covers cycling through the given values.
std::vector<SceneBar> barRow(double first, double spacing, int count,
                             std::initializer_list<double> covers) {
    std::vector<SceneBar> bars;
    const std::vector<double> c(covers);
    for (int i = 0; i < count; ++i)
        bars.push_back({first + spacing * i, c[static_cast<size_t>(i) % c.size()]});
    return bars;
}

// The files shipped beside the program: slabs, walls, a deck and a column as the scanners
// record them, one or more of every file format.
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
    out.push_back({"SLAB0001.RDD", Format::Rdd, slab});

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
    out.push_back({"WALL0002.RDD", Format::Rdd, wall});

    // A bridge deck soffit measured with GPS, its report texts in the comments.
    Scene deck;
    deck.traces = 2400;
    deck.er = 8.0;
    deck.slabMm = 250;
    deck.noise = 0.01;
    deck.seed = 940003;
    deck.dataNo = 3;
    deck.date = QDate(2024, 6, 3);
    deck.time = QStringLiteral("09:12:40");
    deck.serialNo = QStringLiteral("940-0417");
    deck.bars = barRow(150, 200, 30, {42, 48, 45, 55, 50});
    deck.markGroups = 3;
    deck.gain = 4;
    deck.colorCode = 6;
    deck.direction = 1;
    deck.viewRange = 1;
    deck.tireOption = 1;
    deck.speedOption = 2;
    deck.latitude = QStringLiteral("35.681236");
    deck.longitude = QStringLiteral("139.767125");
    deck.company = QStringLiteral("東日本検査株式会社");
    deck.site = QStringLiteral("第二高架橋 P3橋脚");
    deck.worker = QStringLiteral("山田 太郎");
    deck.part = QStringLiteral("床版下面");
    deck.measureDirection = 4;
    out.push_back({"DECK0003.ZVX", Format::Zvx, deck});

    // A column, saved by the program from the scanner's VXD file.
    Scene column;
    column.traces = 1500;
    column.er = 6.8;
    column.noise = 0.012;
    column.seed = 940004;
    column.dataNo = 4;
    column.date = QDate(2024, 6, 3);
    column.time = QStringLiteral("10:47:05");
    column.serialNo = QStringLiteral("940-0417");
    column.bars = barRow(300, 250, 14, {65, 70, 68});
    column.markGroups = 2;
    out.push_back({"COLM0004.ZVX", Format::Zvx3, column});

    // A retaining wall, binary VXD as the scanner writes it.
    Scene retaining;
    retaining.traces = 3000;
    retaining.er = 9.8;
    retaining.slabMm = 300;
    retaining.noise = 0.01;
    retaining.seed = 940005;
    retaining.dataNo = 5;
    retaining.date = QDate(2024, 6, 4);
    retaining.time = QStringLiteral("13:20:00");
    retaining.serialNo = QStringLiteral("940-0417");
    retaining.bars = barRow(200, 150, 49, {55, 60, 58, 62});
    retaining.processingLine = 12;
    retaining.gainMode = 1;
    retaining.tireOption = 2;
    out.push_back({"B0005.VXD", Format::VxdB, retaining});

    // A floor, text VXD.
    Scene floor;
    floor.traces = 1500;
    floor.er = 8.9;
    floor.slabMm = 180;
    floor.noise = 0.01;
    floor.seed = 940006;
    floor.dataNo = 6;
    floor.date = QDate(2024, 6, 4);
    floor.time = QStringLiteral("15:02:31");
    floor.serialNo = QStringLiteral("940-0417");
    floor.bars = barRow(250, 300, 12, {35, 40});
    out.push_back({"T0006.VXD", Format::VxdT, floor});

    // Text measurement data of the 730 scanner, binary and hexadecimal.
    Scene beam;
    beam.traces = 700;
    beam.er = 6.5;
    beam.slabMm = 220;
    beam.noise = 0.012;
    beam.seed = 730007;
    beam.dataNo = 7;
    beam.date = QDate(2024, 6, 5);
    beam.time = QStringLiteral("11:11:11");
    beam.bars = {{400, 45}, {600, 50}, {800, 48}, {1000, 52}, {1200, 47}};
    beam.direction = 1;
    out.push_back({"BEAM0007.001", Format::Txt, beam});

    Scene stair;
    stair.traces = 500;
    stair.er = 8.9;
    stair.noise = 0.015;
    stair.seed = 730008;
    stair.dataNo = 8;
    stair.date = QDate(2024, 6, 5);
    stair.time = QStringLiteral("16:40:02");
    stair.bars = {{300, 30}, {500, 34}, {700, 32}, {900, 36}};
    stair.colorCode = 3;
    out.push_back({"T0008.002", Format::TxtHex, stair});

    // A parking deck scanned with another maker's unit: a DZT file at 1000 scans per metre.
    Scene deck2;
    deck2.traces = 1500;
    deck2.pitchMm = 1.0;
    deck2.er = 7.0;
    deck2.slabMm = 200;
    deck2.noise = 0.01;
    deck2.seed = 160009;
    deck2.date = QDate(2024, 6, 6);
    deck2.time = QStringLiteral("08:15:40");
    deck2.note = QStringLiteral("Parking deck level 2");
    deck2.bars = barRow(250, 200, 6, {40, 46, 52});
    out.push_back({"PARK0009.DZT", Format::Dzt, deck2});
    return out;
}

int writeSamples(const QString& dir) {
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "scangen: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    for (const Sample& s : sampleScenes()) {
        QString error;
        if (!writeScene(s.scene, s.format, QDir(dir).filePath(QString::fromLatin1(s.name)),
                        &error)) {
            std::fprintf(stderr, "scangen: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}

// Why the program would not read a file of this format under this name, or empty.
QString nameMismatch(Format format, const QString& path) {
    const QString name = path.mid(
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1);
    const QString ext = name.right(3).toUpper();
    const bool t = name.startsWith(QLatin1Char('T'), Qt::CaseInsensitive);
    switch (format) {
    case Format::Rdd:
        return ext == QLatin1String("RDD") ? QString() : QStringLiteral("an RDD file ends in .RDD");
    case Format::Zvx:
    case Format::Zvx3:
        return ext == QLatin1String("ZVX") ? QString() : QStringLiteral("a ZVX file ends in .ZVX");
    case Format::VxdB:
    case Format::VxdT: {
        const QChar first = format == Format::VxdB ? QLatin1Char('B') : QLatin1Char('T');
        return ext == QLatin1String("VXD") && name.startsWith(first)
                   ? QString()
                   : QStringLiteral("this VXD file must be named %1*.VXD").arg(first);
    }
    case Format::Txt:
        if (ext == QLatin1String("RDD") || ext == QLatin1String("VXD") ||
            ext == QLatin1String("ZVX") || ext == QLatin1String("DZT"))
            return QStringLiteral("text measurement data needs another extension (like .001)");
        return t ? QStringLiteral("binary text measurement data must not be named T*") : QString();
    case Format::TxtHex:
        if (ext == QLatin1String("RDD") || ext == QLatin1String("VXD") ||
            ext == QLatin1String("ZVX") || ext == QLatin1String("DZT"))
            return QStringLiteral("text measurement data needs another extension (like .001)");
        return t ? QString() : QStringLiteral("hexadecimal text measurement data must be named T*");
    case Format::Dzt:
        return ext == QLatin1String("DZT") ? QString() : QStringLiteral("a DZT file ends in .DZT");
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    Scene scene;
    DztOutput dzt;
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
        if (a == QLatin1String("--by-time")) {
            dzt.byTime = true;
            continue;
        }
        static const QStringList valued = {
            QStringLiteral("--samples"), QStringLiteral("--traces"), QStringLiteral("--er"),
            QStringLiteral("--pitch"),   QStringLiteral("--noise"),  QStringLiteral("--seed"),
            QStringLiteral("--slab"),    QStringLiteral("--freq"),   QStringLiteral("--note"),
            QStringLiteral("--line"),    QStringLiteral("--bar"),    QStringLiteral("--format"),
            QStringLiteral("--groups"),  QStringLiteral("-o")};
        // Options of the scene's echoes.
        static const QStringList echoValued = {
            QStringLiteral("--bars"), QStringLiteral("--polarity"),
            QStringLiteral("--surface-drift"), QStringLiteral("--surface-shift")};
        // Options of DZT files only.
        static const QStringList dztValued = {
            QStringLiteral("--bits"), QStringLiteral("--channels"), QStringLiteral("--range"),
            QStringLiteral("--surface"), QStringLiteral("--scan-samples")};
        if (!valued.contains(a) && !echoValued.contains(a) && !dztValued.contains(a))
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
        } else if (a == QLatin1String("--bars")) {
            ok = addBarRow(v, scene.bars);
        } else if (a == QLatin1String("--polarity")) {
            ok = v == QLatin1String("positive") || v == QLatin1String("negative");
            scene.barPolarity = v == QLatin1String("negative") ? -1 : 1;
        } else if (a == QLatin1String("--surface-drift")) {
            ok = toDouble(v, scene.surfaceDrift) && scene.surfaceDrift >= 0 &&
                 scene.surfaceDrift < 1;
        } else if (a == QLatin1String("--surface-shift")) {
            ok = toDouble(v, scene.surfaceShiftNs) && scene.surfaceShiftNs >= 0 &&
                 scene.surfaceShiftNs <= 1;
        } else if (a == QLatin1String("--groups")) {
            ok = toInt(v, scene.markGroups) && scene.markGroups >= 1 && scene.markGroups <= 3;
        } else if (a == QLatin1String("--bits")) {
            ok = toInt(v, dzt.bits);
        } else if (a == QLatin1String("--channels")) {
            ok = toInt(v, dzt.channels);
        } else if (a == QLatin1String("--scan-samples")) {
            ok = toInt(v, dzt.samples);
        } else if (a == QLatin1String("--range")) {
            ok = toDouble(v, dzt.rangeNs);
        } else if (a == QLatin1String("--surface")) {
            ok = toDouble(v, dzt.surfaceNs);
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
    if (const QString why = nameMismatch(format, output); !why.isEmpty())
        return usageError(why);

    QString error;
    const bool written = format == Format::Dzt ? writeDzt(scene, dzt, output, &error)
                                               : writeScene(scene, format, output, &error);
    if (!written) {
        std::fprintf(stderr, "scangen: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
