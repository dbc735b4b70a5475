#include "view/DocumentContext.h"

#include "config/Program.h"

namespace rebar {

DocumentContext ContextOf(const Program& program) {
    DocumentContext ctx;
    ctx.settings = &program.settings;
    ctx.language = &program.language;
    ctx.tables = &program.tables;
    ctx.MaxTraces = program.MaxTraces;
    ctx.OpenForReport = program.OpenForReport;
    return ctx;
}

LoadingTexts LoadingTextsFor(const QString& language) {
    if (language == QLatin1String("JP"))
        return {QString::fromUtf8("データ読み込み"),
                QString::fromUtf8("計測データの読み込み中です、しばらくお待ちください")};
    return {QStringLiteral("Data loading"),
            QStringLiteral("Is loading Measurement data. Please wait.")};
}

} // namespace rebar
