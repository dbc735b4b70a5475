#include "base/DateText.h"

#include <QStringList>

namespace rebar {

namespace {

bool isCLocale(const QLocale& locale) {
    return locale.name() == QLatin1String("C");
}

// One to four digits and nothing else.
bool digits(const QString& part, int maxLength, int& value) {
    if (part.isEmpty() || part.size() > maxLength)
        return false;
    value = 0;
    for (QChar ch : part) {
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return false;
        value = value * 10 + (ch.unicode() - '0');
    }
    return true;
}

QDate numericDate(const QString& text) {
    for (QChar sep : {QLatin1Char('/'), QLatin1Char('-'), QLatin1Char('.')}) {
        const QStringList parts = text.split(sep);
        if (parts.size() != 3)
            continue;
        int a = 0, b = 0, c = 0;
        if (parts[0].size() == 4 && digits(parts[0], 4, a) && digits(parts[1], 2, b) &&
            digits(parts[2], 2, c))
            return QDate(a, b, c); // year first
        if (sep == QLatin1Char('/') && parts[2].size() == 4 && digits(parts[0], 2, a) &&
            digits(parts[1], 2, b) && digits(parts[2], 4, c))
            return QDate(c, a, b); // month/day/year
    }
    return {};
}

} // namespace

QDate ParseDateText(const QString& text, const QLocale& locale) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    if (!isCLocale(locale)) {
        const QString format = locale.dateFormat(QLocale::ShortFormat);
        QDate d = locale.toDate(t, format);
        if (d.isValid()) {
            // A two-digit year is read in the 1900s; measurements are of this century.
            if (!format.contains(QLatin1String("yyyy")) && d.year() < 1950)
                d = d.addYears(100);
            return d;
        }
    }
    const QDate d = numericDate(t);
    return d.isValid() ? d : QDate();
}

QString ShortDateText(const QDate& date, const QLocale& locale) {
    if (isCLocale(locale))
        return date.toString(QStringLiteral("yyyy/MM/dd"));
    return locale.toString(date, QLocale::ShortFormat);
}

} // namespace rebar
