#include "view/DztOpenQuestions.h"

#include "platform/Platform.h"

namespace rebar {

namespace {

// Asks until the answer parses (or the question is cancelled).
template <typename T, typename Parse>
std::optional<T> ask(const QString& prompt, const QString& title, const QString& initial,
                     Parse parse) {
    QString shown = initial;
    for (;;) {
        const std::optional<QString> answer = platform().inputBox(prompt, title, shown);
        if (!answer)
            return std::nullopt;
        if (const std::optional<T> v = parse(answer->trimmed()))
            return v;
        shown = *answer;
    }
}

} // namespace

DztImportOptions DztOpenQuestions(const QString& filePath, const Settings& s) {
    // The texts follow the language as the load progress texts do.
    const bool jp = s.Language == QLatin1String("JP");
    DztImportOptions o;
    o.defaultPermittivity = s.RelativePermittivity730;
    o.chooseChannel = [filePath, jp](const QStringList& antennas) {
        QString prompt = jp ? QString::fromUtf8("このファイルには複数のチャンネルがあります。"
                                                "開くチャンネルの番号を入力してください。")
                            : QStringLiteral("This file holds several channels. Enter the "
                                             "number of the channel to open.");
        for (qsizetype i = 0; i < antennas.size(); ++i)
            prompt += QStringLiteral("\n%1: %2").arg(i + 1).arg(antennas[i]);
        const auto n = static_cast<int>(antennas.size());
        return ask<int>(prompt, filePath, QStringLiteral("1"),
                        [n](const QString& a) -> std::optional<int> {
                            bool ok = false;
                            const int c = a.toInt(&ok);
                            return ok && c >= 1 && c <= n ? std::optional<int>(c) : std::nullopt;
                        });
    };
    o.askPitch = [filePath, jp]() {
        const QString prompt =
            jp ? QString::fromUtf8("このファイルは距離ではなく時間で記録されています。"
                                   "スキャンの間隔をmmで入力してください (%1～%2)。")
               : QStringLiteral("This file was recorded by time, not by distance. Enter the "
                                "distance between its scans in mm (%1 to %2).");
        return ask<double>(
            prompt.arg(DztImportGrid::MinPitchMm).arg(DztImportGrid::MaxPitchMm), filePath,
            QStringLiteral("2.5"), [](const QString& a) -> std::optional<double> {
                bool ok = false;
                const double p = a.toDouble(&ok);
                return ok && p >= DztImportGrid::MinPitchMm && p <= DztImportGrid::MaxPitchMm
                           ? std::optional<double>(p)
                           : std::nullopt;
            });
    };
    return o;
}

} // namespace rebar
