// rebarscope-convert: the folder conversion without a window. Every measurement file named (or
// found in a folder named) is opened as a document, composed and written as the settings'
// print options and the output form choose, in parallel over the machine's cores; a common
// workbook still takes its views in file order.
//
//   rebarscope-convert SRC... --to DIR [--form jpeg|jpeg+csv|workbook] [--one-workbook]
//                      [--compliance] [--setting Key=Value]... [--channel N] [--pitch MM]
//                      [--threads N]
//   rebarscope-convert --report LAYOUT.ini [--photos DIR] FILES... --to OUT.xlsx|OUT.pdf
//                      [--setting Key=Value]...
//
// The second form builds an inspection report: the layout's photo slots filled with the
// pictures of DIR (by name), its data slots with the measurement files in the order given.
//
// Exit status: 0 everything written, 1 a file failed, 2 bad arguments or program data.

#include "config/CalibrationTables.h"
#include "config/LanguageTables.h"
#include "config/Settings.h"
#include "config/SystemPaths.h"
#include "data/DztImport.h"
#include "export/Conversion.h"
#include "report/ReportBatch.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <thread>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace rebar;

namespace {

const char* Usage =
    "usage: rebarscope-convert SRC... --to DIR [--form jpeg|jpeg+csv|workbook] [--one-workbook]\n"
    "                          [--compliance] [--setting Key=Value]... [--channel N] [--pitch MM]\n"
    "                          [--threads N]\n"
    "  SRC      measurement files (RDD, VXD, ZVX, text data *.??0..9, DZT) or folders of them\n"
    "  --to     the folder written to (created when missing)\n"
    "  --form   jpeg+csv: a JPEG and, with markers, a marker CSV (default: the settings' form);\n"
    "           jpeg: the JPEG only; workbook: a workbook per file\n"
    "  --one-workbook   with --form workbook: one common workbook of every file\n"
    "  --compliance     also NAME_cover.csv per file: the cover and verdict of each listed\n"
    "                   marker and a summary line, by the file's FILE.cover.ini beside it or\n"
    "                   the [Compliance] defaults\n"
    "  --setting        a settings key (e.g. AModePrint=0) for this run\n"
    "  --channel N      the channel of multi-channel DZT files (default 1)\n"
    "  --pitch MM       the scan distance of time-based DZT files (without it they fail)\n"
    "  --threads N      worker threads (default: the machine's cores)\n"
    "\n"
    "       rebarscope-convert --report LAYOUT.ini [--photos DIR] FILES... --to OUT.xlsx|OUT.pdf\n"
    "                          [--setting Key=Value]...\n"
    "  --report  a report layout file (as SystemData/ReportLayout.ini)\n"
    "  --photos  a folder of photographs (JPG, BMP, PNG) for the photo slots, in name order\n"
    "  FILES     measurement files for the data slots, in order\n"
    "  --to      the report written: a PDF for .pdf, a workbook otherwise\n";

int fail(const QString& text) {
    std::fprintf(stderr, "rebarscope-convert: %s\n", text.toUtf8().constData());
    return 2;
}

QByteArray local(const QString& s) {
    return QDir::toNativeSeparators(s).toUtf8();
}

// The value after the option at args[i]: advances i onto it. False when the option is last.
bool nextValue(const QStringList& args, int& i, QString& out) {
    if (i + 1 >= args.size())
        return false;
    out = args[++i];
    return true;
}

bool number(const QString& text, double& out) {
    bool ok = false;
    out = text.toDouble(&ok);
    return ok && std::isfinite(out);
}

// Settings, language and tables for a run, with the --setting overrides applied. False (error
// says why) when any of them cannot be read.
bool readProgramData(const QStringList& overrides, Settings& settings, LanguageTables& language,
                     CalibrationTables& tables, QString& error) {
    std::vector<IgnoredSetting> ignored;
    if (!ReadSettings(settings, settingsFilePath(), &ignored, &error))
        return false;
    for (const QString& o : overrides) {
        const qsizetype eq = o.indexOf(QLatin1Char('='));
        if (!ApplySetting(settings, o.left(eq).trimmed(), o.mid(eq + 1).trimmed(), &error))
            return false;
    }
    if (!ReadLanguage(language, languageFilePath(settings.Language), &error) ||
        !LoadCalibrationTables(tables, systemDataDir(), &error))
        return false;
    if (!ignored.empty())
        std::fprintf(stderr, "rebarscope-convert: %s\n",
                     IgnoredSettingsMessage(ignored, QStringLiteral("EN")).toUtf8().constData());
    return true;
}

// --report LAYOUT.ini [--photos DIR] FILES... --to OUT
int runReport(const QStringList& args) {
    QString layoutPath, photoDir, out;
    QStringList files, overrides;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& v) { return nextValue(args, i, v); };
        QString v;
        if (a == QLatin1String("--report")) {
            if (!value(layoutPath))
                return fail(QStringLiteral("--report needs a layout file"));
        } else if (a == QLatin1String("--photos")) {
            if (!value(photoDir) || !QFileInfo(photoDir).isDir())
                return fail(QStringLiteral("--photos needs a folder"));
        } else if (a == QLatin1String("--to")) {
            if (!value(out))
                return fail(QStringLiteral("--to needs the report file"));
        } else if (a == QLatin1String("--setting")) {
            if (!value(v) || !v.contains(QLatin1Char('=')))
                return fail(QStringLiteral("--setting needs Key=Value"));
            overrides << v;
        } else if (a.startsWith(QLatin1String("--"))) {
            std::fputs(Usage, stderr);
            return fail(QStringLiteral("unknown option %1 with --report").arg(a));
        } else {
            files << QFileInfo(a).absoluteFilePath();
        }
    }
    if (out.isEmpty() || QFileInfo(out).isDir()) {
        std::fputs(Usage, stderr);
        return fail(QStringLiteral("--to needs the report file (.xlsx or .pdf)"));
    }
    ReportLayout layout;
    std::vector<IgnoredSetting> ignoredLayout;
    QString error;
    if (!QFileInfo::exists(layoutPath))
        return fail(QStringLiteral("no layout file %1").arg(layoutPath));
    if (!ReadReportLayout(layout, layoutPath, &ignoredLayout, &error))
        return fail(QStringLiteral("%1: %2").arg(layoutPath, error));
    if (!ignoredLayout.empty())
        std::fprintf(stderr, "rebarscope-convert: %s\n",
                     IgnoredSettingsMessage(ignoredLayout, QStringLiteral("EN"),
                                            QFileInfo(layoutPath).fileName())
                         .toUtf8()
                         .constData());
    Settings settings;
    LanguageTables language;
    CalibrationTables tables;
    if (!readProgramData(overrides, settings, language, tables, error))
        return fail(error);
    DocumentContext ctx;
    ctx.settings = &settings;
    ctx.language = &language;
    ctx.tables = &tables;
    const QStringList photos = photoDir.isEmpty() ? QStringList() : ReportPhotoFiles(photoDir);
    const ReportBatchResult r = BuildReportFromFiles(layout, photos, files, ctx, out);
    for (const auto* list : {&r.photos, &r.data})
        for (const ReportBatchFile& f : *list)
            if (!f.ok)
                std::fprintf(stderr, "failed %s: %s\n", local(f.path).constData(),
                             f.reason.simplified().toUtf8().constData());
    if (!r.written) {
        std::fprintf(stderr, "failed %s: %s\n", local(out).constData(),
                     r.reason.simplified().toUtf8().constData());
        return 1;
    }
    auto placed = [](const std::vector<ReportBatchFile>& list) {
        return static_cast<int>(
            std::count_if(list.begin(), list.end(), [](const ReportBatchFile& f) { return f.ok; }));
    };
    std::printf("wrote %s (%d pages, %d photos, %d data entries)\n", local(out).constData(),
                r.pageCount, placed(r.photos), placed(r.data));
    return r.failed() > 0 ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // Every document allocates matrices of tens of megabytes and frees them again. Kept in the
    // heap rather than mapped and unmapped per file, the next file reuses them without a page
    // fault for every page (a third of the run's time otherwise).
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no display needed: text is drawn in memory
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QLatin1String("--report")))
        return runReport(args);

    QStringList sources, overrides;
    QString destination, form;
    bool oneWorkbook = false;
    bool compliance = false;
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    DztImportOptions dzt;
    dzt.channel = 1;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& v) { return nextValue(args, i, v); };
        QString v;
        double n = 0;
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            return 0;
        } else if (a == QLatin1String("--to")) {
            if (!value(destination))
                return fail(QStringLiteral("--to needs a folder"));
        } else if (a == QLatin1String("--form")) {
            if (!value(form) ||
                (form != QLatin1String("jpeg") && form != QLatin1String("jpeg+csv") &&
                 form != QLatin1String("workbook")))
                return fail(QStringLiteral("--form is jpeg, jpeg+csv or workbook"));
        } else if (a == QLatin1String("--one-workbook")) {
            oneWorkbook = true;
        } else if (a == QLatin1String("--compliance")) {
            compliance = true;
        } else if (a == QLatin1String("--setting")) {
            if (!value(v) || !v.contains(QLatin1Char('=')))
                return fail(QStringLiteral("--setting needs Key=Value"));
            overrides << v;
        } else if (a == QLatin1String("--channel")) {
            if (!value(v) || !number(v, n) || n < 1 || n > 64 || n != std::floor(n))
                return fail(QStringLiteral("--channel needs a channel number from 1"));
            dzt.channel = static_cast<int>(n);
        } else if (a == QLatin1String("--pitch")) {
            if (!value(v) || !number(v, n) || n <= 0 || n > 10000)
                return fail(QStringLiteral("--pitch needs a distance in mm above 0"));
            dzt.pitchMm = n;
        } else if (a == QLatin1String("--threads")) {
            if (!value(v) || !number(v, n) || n < 1 || n > 256 || n != std::floor(n))
                return fail(QStringLiteral("--threads needs a count from 1"));
            threads = static_cast<int>(n);
        } else if (a.startsWith(QLatin1String("--"))) {
            std::fputs(Usage, stderr);
            return fail(QStringLiteral("unknown option %1").arg(a));
        } else {
            sources << a;
        }
    }
    if (sources.isEmpty() || destination.isEmpty()) {
        std::fputs(Usage, stderr);
        return 2;
    }

    // The files: named ones as they are, folders by the conversion's file list.
    QStringList paths;
    for (const QString& s : sources) {
        const QFileInfo info(s);
        if (info.isDir()) {
            for (const QString& name : ConversionFiles(s))
                paths << QDir(s).absoluteFilePath(name);
        } else {
            paths << info.absoluteFilePath(); // a missing file fails with its reason below
        }
    }
    if (paths.isEmpty())
        return fail(
            QStringLiteral("no measurement files in %1").arg(sources.join(QLatin1Char(' '))));
    if (!QDir().mkpath(destination))
        return fail(QStringLiteral("cannot create the folder %1").arg(destination));
    destination = QFileInfo(destination).absoluteFilePath();

    Settings settings;
    LanguageTables language;
    CalibrationTables tables;
    QString error;
    if (!readProgramData(overrides, settings, language, tables, error))
        return fail(error);
    DocumentContext ctx;
    ctx.settings = &settings;
    ctx.language = &language;
    ctx.tables = &tables;
    ConversionOptions options =
        ConversionOptionsFrom(settings, destination, oneWorkbook, QDate::currentDate());
    options.Compliance = compliance;
    if (form == QLatin1String("jpeg"))
        options.PrintingForm = FormJpeg;
    else if (form == QLatin1String("jpeg+csv"))
        options.PrintingForm = FormJpegCsv;
    else if (form == QLatin1String("workbook"))
        options.PrintingForm = FormWorkbook;
    if (options.OneWorkbook && options.PrintingForm != FormWorkbook)
        return fail(QStringLiteral("--one-workbook needs the workbook form"));

    const bool terminal = isatty(fileno(stderr)) != 0;
    const int n = static_cast<int>(paths.size());
    int done = 0;
    QElapsedTimer clock;
    clock.start();
    const ConversionSummary s = ConvertFilesInParallel(
        paths, ctx, options, threads, dzt, [&](int, const FileConversion& f) {
            ++done;
            if (terminal)
                std::fprintf(stderr, "\r[%d/%d] %s\033[K", done, n,
                             QFileInfo(f.path).fileName().toUtf8().constData());
        });
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    if (terminal)
        std::fputs("\r\033[K", stderr);

    int failed = 0;
    for (const FileConversion& f : s.files) {
        if (f.ok) {
            for (const QString& w : f.written)
                std::printf("wrote %s\n", local(w).constData());
        } else {
            ++failed;
            std::fprintf(stderr, "failed %s: %s\n", local(f.path).constData(),
                         f.reason.toUtf8().constData());
        }
    }
    if (!s.commonWorkbook.isEmpty())
        std::printf("wrote %s\n", local(s.commonWorkbook).constData());
    if (!s.commonWorkbookError.isEmpty()) {
        ++failed;
        std::fprintf(stderr, "failed the common workbook: %s\n",
                     s.commonWorkbookError.simplified().toUtf8().constData());
    }
    std::printf("%d of %d files converted in %.2f s (%.1f ms per file, %d threads)\n", s.exported(),
                n, seconds, n > 0 ? 1000.0 * seconds / n : 0.0, std::clamp(threads, 1, n));
    return failed > 0 ? 1 : 0;
}
