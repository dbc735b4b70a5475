#include "data/ReadResult.h"

namespace rebar {

QString FailureLine(const ReadResult& result, const QString& language) {
    const bool jp = language.compare(QLatin1String("JP"), Qt::CaseInsensitive) == 0;
    switch (result.kind) {
    case FailureKind::System:
        return result.subject;
    case FailureKind::Empty:
        return jp ? QString::fromUtf8("ファイルが空です。") : QStringLiteral("The file is empty.");
    case FailureKind::Truncated:
        return jp ? QString::fromUtf8("ファイルがデータの途中で終わっています。")
                  : QStringLiteral("The file ends before its data is complete.");
    case FailureKind::CountBeyondFile:
        return jp ? QString::fromUtf8("ファイルに書かれた件数のデータがファイルにありません。")
                  : QStringLiteral("The file announces more data than it holds.");
    case FailureKind::NotMeasurementFile:
        return jp ? QString::fromUtf8("計測データファイルではありません。")
                  : QStringLiteral("The file is not a measurement data file.");
    case FailureKind::BadDate:
        return (jp ? QString::fromUtf8("測定日「%1」は日付として読めません。")
                   : QStringLiteral("The measurement date \"%1\" cannot be read as a date."))
            .arg(result.subject);
    case FailureKind::Other:
        break;
    }
    return result.reason;
}

} // namespace rebar
