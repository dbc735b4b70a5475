#pragma once
// Measurement dates as text. Files carry the date in one of a few numeric forms (the scanner's
// and the program's own yyyy/MM/dd, or the short date of the computer that saved the file with
// an older version); the record keeps the date as the short date text of this computer. The
// locale is the program's default locale, which is the system's unless the program sets one.

#include <QDate>
#include <QLocale>
#include <QString>

namespace rebar {

// Reads a date written as yyyy/MM/dd, yyyy-MM-dd or yyyy.MM.dd, else in the locale's short
// format, else as MM/dd/yyyy (one- or two-digit month and day). The year-first forms come first
// because no locale reads them differently. Blanks around the text are ignored. An invalid
// QDate when the text is not a date.
QDate ParseDateText(const QString& text, const QLocale& locale = QLocale());

// The locale's short date text, or yyyy/MM/dd when the locale is "C" (which has no numeric
// short form of its own).
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale());

} // namespace rebar
