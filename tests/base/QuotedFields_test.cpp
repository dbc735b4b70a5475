#include "base/QuotedFields.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QStringList>

using namespace rebar;

namespace {

// Every field of the input, read with a tiny chunk so that fields cross buffer refills.
QList<QByteArray> fields(const QByteArray& text, qsizetype chunk = 16) {
    QByteArray data = text;
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    QuotedFields in(buf, chunk);
    QList<QByteArray> out;
    QByteArray f;
    while (in.next(f))
        out << f;
    return out;
}

} // namespace

TEST(QuotedFields, SplitsQuotedAndBareFields) {
    using L = QList<QByteArray>;
    EXPECT_EQ(fields("\"VER\",\"730\"\r\n\"LC\",12\r\n"), (L{"VER", "730", "LC", "12"}));
    // Commas and line breaks inside quotes belong to the field; text after the closing quote
    // up to the separator is dropped.
    EXPECT_EQ(fields("\"NOTE\",\"a, b\r\nc\" junk,\"x\"\n"), (L{"NOTE", "a, b\r\nc", "x"}));
    // Blanks around bare fields go, blanks inside quotes stay.
    EXPECT_EQ(fields("  12 ,\t -3 \r\n\" lc \",4"), (L{"12", "-3", " lc ", "4"}));
    // Blank lines between records are skipped; a comma followed by a line end is an empty
    // field, as is a trailing comma at the end of the input.
    EXPECT_EQ(fields("a\r\n\r\n\nb,\r\nc,"), (L{"a", "b", "", "c", ""}));
    // LF-only and CR-only line ends, and a missing closing quote running to the end.
    EXPECT_EQ(fields("1,2\n3,4\r5,\"open"), (L{"1", "2", "3", "4", "5", "open"}));
    EXPECT_TRUE(fields("").isEmpty());
    EXPECT_TRUE(fields(" \r\n \r\n").isEmpty());
    // A field longer than the chunk grows the buffer instead of being cut.
    const QByteArray longText(1000, 'z');
    EXPECT_EQ(fields("\"" + longText + "\",1"), (L{longText, "1"}));
}

TEST(QuotedFields, StopsAtTheFieldAndTellsWhereItEnded) {
    // A header followed by binary bytes: after "MAINDATA" and its value nothing more is read
    // as text, and fieldEnd points just behind the closing quote.
    QByteArray data = "\"K\",1\r\n\"MAINDATA\",\"\"\r\n" + QByteArray("\x00\x08,\"\r\n", 6);
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    QuotedFields in(buf, 16);
    QByteArray f;
    for (const char* expected : {"K", "1", "MAINDATA", ""}) {
        ASSERT_TRUE(in.next(f));
        EXPECT_EQ(f, expected);
    }
    EXPECT_TRUE(in.wasQuoted());
    EXPECT_EQ(in.fieldEnd(), data.indexOf("\"\"\r\n") + 2);
}

TEST(QuotedFields, AFieldThatDoesNotEndIsCutOff) {
    QByteArray data = "a,\"" + QByteArray(5000, 'q') + "\",b";
    QBuffer buf(&data);
    buf.open(QIODevice::ReadOnly);
    QuotedFields in(buf, 16);
    in.setMaxFieldLength(64);
    QByteArray f;
    ASSERT_TRUE(in.next(f));
    EXPECT_EQ(f, "a");
    EXPECT_FALSE(in.next(f));
    EXPECT_TRUE(in.fieldTooLong());
    EXPECT_FALSE(in.next(f));
}

TEST(QuotedFields, NumbersAreStrict) {
    double v = 0;
    EXPECT_TRUE(QuotedFields::toNumber("12", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(QuotedFields::toNumber(" -7.25 ", v));
    EXPECT_EQ(v, -7.25);
    EXPECT_TRUE(QuotedFields::toNumber("+.5", v));
    EXPECT_EQ(v, 0.5);
    EXPECT_TRUE(QuotedFields::toNumber("1e3", v));
    EXPECT_EQ(v, 1000);
    for (const char* bad :
         {"", " ", "abc", "12a", "1,5", "--1", "+-1", "inf", "nan", "1e999", "0x10", "1 2"})
        EXPECT_FALSE(QuotedFields::toNumber(bad, v)) << bad;

    int16_t s = 0;
    EXPECT_TRUE(QuotedFields::toInteger("32767", s));
    EXPECT_FALSE(QuotedFields::toInteger("32768", s));
    EXPECT_TRUE(QuotedFields::toInteger("-32768", s));
    EXPECT_TRUE(QuotedFields::toInteger("12.5", s)); // halves to even
    EXPECT_EQ(s, 12);
    EXPECT_TRUE(QuotedFields::toInteger("13.5", s));
    EXPECT_EQ(s, 14);
    float f = 0;
    EXPECT_TRUE(QuotedFields::toSingle("8.9", f));
    EXPECT_EQ(f, 8.9f);
    EXPECT_FALSE(QuotedFields::toSingle("1e39", f));
}
