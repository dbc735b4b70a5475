#include "export/Conversion.h"

#include "base/FileSave.h"
#include "base/PathNames.h"
#include "export/DataWorkbook.h"
#include "view/CoverCompliance.h"
#include "view/MeasurementDocument.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace rebar {

namespace {

// Where the blocks of a run's common workbook go: added in file order, the workbook saved in the
// destination when the run is done with it.
class CommonSink {
public:
    explicit CommonSink(const QString& folder) : m_folder(folder) {}

    bool add(const WorkbookBlock& block, QString* error) { return m_book.append(block, error); }
    // Saves what the workbook holds (nothing to do when it holds nothing).
    void finish(ConversionSummary& s) { finish(s.commonWorkbook, s.commonWorkbookError); }
    void finish(QString& path, QString& error) {
        if (m_book.blocks() == 0)
            return;
        m_book.finish(m_folder, QDateTime::currentDateTime(), &path, &error);
    }
    // The sink of a run that exports its files one after the other: each block is added, and
    // the workbook is saved after the last one; a failed save fails that export with its text.
    // path and error keep what the save said for the run's summary.
    decltype(ExportRun::commonSink) sequentialSink(QString& path, QString& error) {
        return [this, &path, &error](WorkbookBlock&& block, bool, bool last, QString* why) {
            if (!add(block, why))
                return false;
            if (last) {
                finish(path, error);
                if (!error.isEmpty()) {
                    if (why)
                        *why = error;
                    return false;
                }
            }
            return true;
        };
    }

private:
    QString m_folder;
    CommonWorkbook m_book;
};

ExportTarget targetFor(const ConversionOptions& options, bool first, bool last) {
    ExportTarget t;
    t.PrintingForm = options.PrintingForm;
    t.Folder = options.destination;
    t.Name = QStringLiteral("def");
    t.FirstFile = first;
    t.LastFile = last;
    return t;
}

QString openFailure(const OpenResult& r) {
    QString why = r.reason.isEmpty() ? QStringLiteral("the file could not be opened") : r.reason;
    const QString stage = r.stage.trimmed();
    return stage.isEmpty() ? why : stage + QStringLiteral(": ") + why;
}

} // namespace

bool IsConversionFile(const QString& name) {
    const QString f = QFileInfo(name).fileName();
    const qsizetype dot = f.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return false;
    const QString ext = f.mid(dot + 1).toUpper();
    if (ext == QLatin1String("RDD") || ext == QLatin1String("VXD") || ext == QLatin1String("ZVX") ||
        ext == QLatin1String("DZT"))
        return true;
    return ext.size() == 3 && ext[2].isDigit() && ext[2].unicode() < 128;
}

QStringList ConversionFiles(const QString& folder) {
    QStringList out;
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QString& n : names)
        if (IsConversionFile(n))
            out << n;
    return out;
}

ConversionOptions ConversionOptionsFrom(const Settings& s, const QString& destination,
                                        bool oneWorkbook, const QDate& today) {
    ConversionOptions o;
    o.picture = PrintProcParams(s, today);
    o.PrintingForm = s.PrintingForm;
    o.OneWorkbook = oneWorkbook;
    o.destination = destination;
    return o;
}

namespace {

// The cover compliance CSV of the opened file beside its other outputs.
void writeComplianceCsv(const MeasurementDocument& doc, const QString& base, FileConversion& fc) {
    const MeasurementRecord& r = doc.record();
    if (r.Permittivity <= 0) {
        fc.ok = false;
        fc.reason = QStringLiteral("cover compliance: the scan is shown on the time axis; covers "
                                   "need a permittivity");
        return;
    }
    const std::vector<MarkerCover> covers = MarkerCoversOf(r, *doc.context().tables);
    const QByteArray csv = ComplianceCsv(covers, doc.compliance(), MarkerCoverDistanceUnit(r));
    const QString path = base + QStringLiteral("_cover.csv");
    const QByteArrayView parts[] = {csv};
    const FileSaveOutcome saved = SaveFileBytes(path, parts);
    if (!saved.ok) {
        fc.ok = false;
        fc.reason = QStringLiteral("cover compliance CSV: ") + saved.reason;
        return;
    }
    fc.written << path;
}

} // namespace

FileConversion ConvertFile(const QString& path, const DocumentContext& ctx,
                           const LoadFeedback& feedback, const ConversionOptions& options,
                           const ExportTarget& target, ExportRun& run) {
    FileConversion fc;
    fc.path = path;
    MeasurementDocument doc;
    const OpenResult opened = doc.Open(path, ctx, feedback);
    if (!opened) {
        fc.reason = openFailure(opened);
        return fc;
    }
    fc.opened = true;
    // The outputs are named after the file listed, also when the record took another name (an
    // imported DZT file becomes an RDD record).
    ExportTarget named = target;
    if (named.Name == QLatin1String("def"))
        named.Name = DefaultExportName(QFileInfo(path).fileName());
    ExportOutcome out;
    QImage pics;
    fc.ok = SaveJPG(doc, options.picture, named, run, pics, &out);
    fc.written = out.written;
    fc.reason = out.reason;
    fc.workbookError = out.workbookError;
    if (fc.ok && options.Compliance)
        writeComplianceCsv(doc, joinPath(options.destination, named.Name), fc);
    return fc;
}

int ConversionSummary::exported() const {
    int n = 0;
    for (const FileConversion& f : files)
        n += f.ok ? 1 : 0;
    return n;
}

ConversionSummary
ConvertFilesInOrder(const QStringList& paths, const DocumentContext& ctx,
                    const ConversionOptions& options,
                    const std::function<LoadFeedback(const QString& path)>& feedback,
                    const std::function<void(int index, const FileConversion&)>& fileDone) {
    ConversionSummary s;
    CommonSink common(options.destination);
    QString saved, saveError;
    ExportRun run;
    run.OneWorkbook = options.OneWorkbook;
    run.commonSink = common.sequentialSink(saved, saveError);
    bool first = true;
    for (int i = 0; i < paths.size(); ++i) {
        const bool last = i == paths.size() - 1;
        const LoadFeedback fb = feedback ? feedback(paths[i]) : LoadFeedback{};
        FileConversion fc =
            ConvertFile(paths[i], ctx, fb, options, targetFor(options, first, last), run);
        if (fc.ok)
            first = false;
        s.anyOpenFailed |= !fc.opened;
        s.anyExportFailed |= fc.opened && !fc.ok;
        s.files.push_back(fc);
        if (fileDone)
            fileDone(i, s.files.back());
    }
    // The last file may have failed to open or to export: the workbook keeps what succeeded.
    common.finish(saved, saveError);
    s.commonWorkbook = saved;
    s.commonWorkbookError = saveError;
    return s;
}

ConversionSummary
ConvertFilesInParallel(const QStringList& paths, const DocumentContext& ctx,
                       const ConversionOptions& options, int threads, const DztImportOptions& dzt,
                       const std::function<void(int index, const FileConversion&)>& fileDone) {
    const int n = static_cast<int>(paths.size());
    ConversionSummary s;
    s.files.resize(static_cast<size_t>(n));
    std::vector<std::optional<WorkbookBlock>> blocks(static_cast<size_t>(n));
    std::vector<bool> done(static_cast<size_t>(n), false);
    std::mutex lock;
    std::condition_variable changed;
    std::vector<int> finished; // indexes finished and not yet reported
    std::atomic<int> next{0};

    auto worker = [&] {
        for (int i = next++; i < n; i = next++) {
            ExportRun run;
            run.OneWorkbook = options.OneWorkbook;
            std::optional<WorkbookBlock> block;
            // The block waits for its turn in the common workbook.
            run.commonSink = [&block](WorkbookBlock&& b, bool, bool, QString*) {
                block = std::move(b);
                return true;
            };
            LoadFeedback fb;
            fb.dztOptions = &dzt;
            FileConversion fc = ConvertFile(paths[i], ctx, fb, options,
                                            targetFor(options, i == 0, i == n - 1), run);
            const std::lock_guard<std::mutex> g(lock);
            s.files[static_cast<size_t>(i)] = std::move(fc);
            blocks[static_cast<size_t>(i)] = std::move(block);
            done[static_cast<size_t>(i)] = true;
            finished.push_back(i);
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    const int count = std::clamp(threads, 1, std::max(n, 1));
    for (int t = 0; t < count; ++t)
        pool.emplace_back(worker);

    CommonSink common(options.destination);
    int appended = 0; // files before this one have had their turn in the workbook
    int reported = 0;
    while (reported < n) {
        std::vector<int> batch;
        {
            std::unique_lock<std::mutex> g(lock);
            changed.wait(g, [&] { return !finished.empty(); });
            batch.swap(finished);
        }
        for (int i : batch) {
            FileConversion& fc = s.files[static_cast<size_t>(i)];
            if (fileDone)
                fileDone(i, fc);
            ++reported;
        }
        // Blocks go into the workbook in file order, as soon as every file before them is done.
        while (appended < n) {
            std::optional<WorkbookBlock> block;
            {
                const std::lock_guard<std::mutex> g(lock);
                if (!done[static_cast<size_t>(appended)])
                    break;
                block = std::move(blocks[static_cast<size_t>(appended)]);
            }
            FileConversion& fc = s.files[static_cast<size_t>(appended)];
            QString error;
            if (block && fc.ok && !common.add(*block, &error)) {
                fc.ok = false;
                fc.workbookError = error;
                const QStringList lines = error.split(QStringLiteral("\r\n"));
                fc.reason = QStringLiteral("workbook: ") + (lines.size() > 1 ? lines[1] : error);
            }
            ++appended;
        }
    }
    for (std::thread& t : pool)
        t.join();
    for (const FileConversion& fc : s.files) {
        s.anyOpenFailed |= !fc.opened;
        s.anyExportFailed |= fc.opened && !fc.ok;
    }
    common.finish(s);
    return s;
}

// ---- The batch conversion of the open views -------------------------------------------------

BatchTexts BatchConversionTexts(const QString& language) {
    if (language == QLatin1String("JP"))
        return {QString::fromUtf8("一括変換"),
                QString::fromUtf8("一括変換処理中です、しばらくお待ちください")};
    return {QStringLiteral("Convert all"), QStringLiteral("Please wait.")};
}

BatchConversion
ConvertOpenViews(const std::vector<MeasurementDocument*>& views, const ConversionOptions& options,
                 const std::function<void(int percent)>& progress,
                 const std::function<void(int slot, const FileConversion&)>& exported) {
    BatchConversion b;
    const int U = static_cast<int>(views.size()) - 1;
    // The last open view finishes the common workbook (a closed last slot would leave it open).
    int lastOpen = 0;
    for (int i = 0; i <= U; ++i)
        if (views[static_cast<size_t>(i)])
            lastOpen = i;

    CommonSink common(options.destination);
    QString saved, saveError;
    ExportRun run;
    run.OneWorkbook = options.OneWorkbook;
    run.commonSink = common.sequentialSink(saved, saveError);
    bool first = true;
    int bar = 0;
    for (int i = 0; i <= U; ++i) {
        if (MeasurementDocument* doc = views[static_cast<size_t>(i)]) {
            FileConversion fc;
            fc.path = doc->record().FilePath;
            fc.opened = true;
            ExportOutcome out;
            QImage pics;
            fc.ok = SaveJPG(*doc, options.picture, targetFor(options, first, i == lastOpen), run,
                            pics, &out);
            fc.written = out.written;
            fc.reason = out.reason;
            fc.workbookError = out.workbookError;
            if (exported)
                exported(i, fc);
            if (!fc.ok) {
                b.AllOk = false;
                b.failedSlot = i;
                b.failure = fc;
                break; // the remaining views are not exported
            }
            first = false;
            ++b.exported;
        }
        // The bar keeps its value when the next one would pass 100.
        const int64_t value = U > 0 ? (i + 1) * int64_t{100} / U : 100;
        if (value <= 100)
            bar = static_cast<int>(value);
        if (progress)
            progress(bar);
    }
    // A run stopped by a failure keeps the blocks of the views exported before it.
    common.finish(saved, saveError);
    b.commonWorkbook = saved;
    b.commonWorkbookError = saveError;
    return b;
}

} // namespace rebar
