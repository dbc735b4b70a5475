#include "base/DateText.h"

#include <gtest/gtest.h>

using namespace rebar;

TEST(DateText, ReadsTheNumericFormsAndWritesTheShortDate) {
    const QLocale c = QLocale::c();
    const QDate d(2024, 3, 5);
    for (const char* text :
         {"2024/03/05", "2024-03-05", "2024.03.05", "2024/3/5", "03/05/2024", " 2024/03/05 "})
        EXPECT_EQ(ParseDateText(QString::fromLatin1(text), c), d) << text;
    for (const char* text : {"", "someday", "2024/02/30", "2024/13/01", "24/03/05", "2024/03",
                             "2024/03/05/01", "2024-3-5x"})
        EXPECT_FALSE(ParseDateText(QString::fromLatin1(text), c).isValid()) << text;

    EXPECT_EQ(ShortDateText(d, c), "2024/03/05");
    const QLocale ja(QLocale::Japanese, QLocale::Japan);
    EXPECT_EQ(ShortDateText(d, ja), "2024/03/05");
    // A locale's own short form reads back to the same day, two-digit years included.
    for (const QLocale& l : {QLocale(QLocale::English, QLocale::UnitedStates),
                             QLocale(QLocale::German, QLocale::Germany),
                             QLocale(QLocale::English, QLocale::UnitedKingdom), ja}) {
        EXPECT_EQ(ParseDateText(ShortDateText(d, l), l), d) << qPrintable(l.name());
        // The scanner's form is read whatever the locale.
        EXPECT_EQ(ParseDateText(QStringLiteral("2024/03/05"), l), d) << qPrintable(l.name());
    }
}
