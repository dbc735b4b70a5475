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

// yyyy/MM/dd, yyyy-MM-dd or yyyy.MM.dd: forms no locale reads differently.
QDate yearFirstDate(const QString& text) {
    for (QChar sep : {QLatin1Char('/'), QLatin1Char('-'), QLatin1Char('.')}) {
        const QStringList parts = text.split(sep);
        int y = 0, m = 0, d = 0;
        if (parts.size() == 3 && parts[0].size() == 4 && digits(parts[0], 4, y) &&
            digits(parts[1], 2, m) && digits(parts[2], 2, d))
            return QDate(y, m, d);
    }
    return {};
}

// MM/dd/yyyy, the last resort for a date of no other form.
QDate monthFirstDate(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('/'));
    int m = 0, d = 0, y = 0;
    if (parts.size() == 3 && parts[2].size() == 4 && digits(parts[0], 2, m) &&
        digits(parts[1], 2, d) && digits(parts[2], 4, y))
        return QDate(y, m, d);
    return {};
}

} // namespace

QDate ParseDateText(const QString& text, const QLocale& locale) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    if (const QDate d = yearFirstDate(t); d.isValid())
        return d;
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
    return monthFirstDate(t);
}

QString ShortDateText(const QDate& date, const QLocale& locale) {
    if (isCLocale(locale))
        return date.toString(QStringLiteral("yyyy/MM/dd"));
    return locale.toString(date, QLocale::ShortFormat);
}

} // namespace rebar
