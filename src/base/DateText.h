#pragma once
// Measurement dates as text. Files carry the date in one of a few numeric forms (the scanner's
// own yyyy/MM/dd, or the short date of the computer that last saved the file); the record keeps
// the date as the short date text of this computer.

#include <QDate>
#include <QLocale>
#include <QString>

namespace rebar {

// Reads a date written in the locale's short format or as yyyy/MM/dd, yyyy-MM-dd, yyyy.MM.dd
// or MM/dd/yyyy (one- or two-digit month and day). Blanks around the text are ignored. An
// invalid QDate when the text is not a date.
QDate ParseDateText(const QString& text, const QLocale& locale = QLocale::system());

// The locale's short date text, or yyyy/MM/dd when the locale is "C" (which has no numeric
// short form of its own).
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale::system());

} // namespace rebar
