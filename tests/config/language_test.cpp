// Reading the language files: the line rules of ReadLanguage on small files, and the
// completeness of the two shipped files.

#include "base/TextEncoding.h"
#include "config/LanguageTables.h"
#include "support/TestSupport.h"

#include <QMap>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <gtest/gtest.h>

namespace rebar {
namespace {

// Lines joined with CRLF, encoded as the program's language files are: UTF-16LE.
QByteArray utf16le(const QStringList& lines, bool bom = true) {
    const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QByteArray out;
    if (bom)
        out.append("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

QStringList numbered(const QString& prefix, int n) {
    QStringList l;
    for (int i = 1; i <= n; ++i)
        l << prefix + QString::number(i);
    return l;
}

bool allEmpty(const auto& entries) {
    for (const QString& s : entries)
        if (!s.isEmpty())
            return false;
    return true;
}

class ReadLanguageTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QStringList& lines, bool bom = true) {
        return m_scratch.write(name, utf16le(lines, bom));
    }
    bool read(const QString& name, const QStringList& lines, bool bom = true) {
        return ReadLanguage(m_t, write(name, lines, bom), &m_error);
    }
    test::Scratch m_scratch;
    LanguageTables m_t;
    QString m_error;
};

TEST_F(ReadLanguageTest, FileWithOnlyMsg21LeavesEverythingElseEmpty) {
    ASSERT_TRUE(read("only21.ini", {QStringLiteral("MSG21,開けません")}));
    EXPECT_EQ(m_t.Messages[21], QStringLiteral("開けません"));
    m_t.Messages[21].clear();
    EXPECT_TRUE(allEmpty(m_t.Messages));
    EXPECT_TRUE(allEmpty(m_t.Captions));
    EXPECT_TRUE(allEmpty(m_t.AllJpeg));
    EXPECT_TRUE(m_t.WindowTitle.isEmpty());
}

TEST_F(ReadLanguageTest, KeysFillTheirEntriesWhateverTheirCase) {
    ASSERT_TRUE(
        read("keys.ini",
             {QStringLiteral("msg5,already running"), QStringLiteral("Menu6,fwd,rev"),
              QStringLiteral("windowtitle,Rebarscope"), QStringLiteral("AllJpeg,cap,all,label"),
              QStringLiteral("SPEED,speed,slow,normal,fast")}));
    EXPECT_EQ(m_t.Messages[5], QStringLiteral("already running"));
    EXPECT_EQ(m_t.Captions[58], QStringLiteral("fwd"));
    EXPECT_EQ(m_t.Captions[59], QStringLiteral("rev"));
    EXPECT_EQ(m_t.WindowTitle, QStringLiteral("Rebarscope"));
    EXPECT_EQ(m_t.AllJpeg[0], QStringLiteral("cap"));
    EXPECT_EQ(m_t.AllJpeg[2], QStringLiteral("label"));
    EXPECT_EQ(m_t.Captions[273], QStringLiteral("speed"));
    EXPECT_EQ(m_t.Captions[276], QStringLiteral("fast"));
    EXPECT_TRUE(m_t.Captions[277].isEmpty()); // the name of speed option 3 is never filled
    EXPECT_TRUE(m_t.Captions[57].isEmpty());
    EXPECT_TRUE(m_t.Captions[60].isEmpty());
}

TEST_F(ReadLanguageTest, MessageKeysOutsideOneToTheLastMessageAreIgnored) {
    ASSERT_TRUE(read("msgrange.ini", {QStringLiteral("MSG0,zero"), QStringLiteral("MSG45,x"),
                                      QStringLiteral("MSG100,y"), QStringLiteral("MSG44,last"),
                                      QStringLiteral("MSG1,first")}));
    EXPECT_EQ(m_t.Messages[1], QStringLiteral("first"));
    EXPECT_EQ(m_t.Messages[LastMessage], QStringLiteral("last"));
    EXPECT_TRUE(m_t.Messages[0].isEmpty());
    EXPECT_TRUE(m_t.Messages[LastMessage + 1].isEmpty());
    EXPECT_TRUE(m_t.Messages[100].isEmpty());
}

TEST_F(ReadLanguageTest, ExtraTextsOfALineAreIgnored) {
    ASSERT_TRUE(read("fiel.ini", {QStringLiteral("FIELCHANGE,a,b,c")}));
    EXPECT_EQ(m_t.Captions[252], QStringLiteral("a"));
    EXPECT_EQ(m_t.Captions[253], QStringLiteral("b"));
    m_t.Captions[252].clear();
    m_t.Captions[253].clear();
    EXPECT_TRUE(allEmpty(m_t.Captions)); // "c" went nowhere, in particular not to 254
}

TEST_F(ReadLanguageTest, ShortLineTakesTheFieldsAnEarlierLineLeft) {
    QStringList lines;
    lines << QStringLiteral("MENU2,") + numbered(QStringLiteral("f"), 10).join(QLatin1Char(','));
    lines << QStringLiteral("MENU6,dir");          // field 3 comes from the MENU2 line
    lines << QStringLiteral("COMMENT LINE,u,v,w"); // unknown keys still leave fields
    lines << QStringLiteral("MENU8");              // all three texts from the line above
    lines << QStringLiteral("MARKERLIST,n0");      // fields 12..15 are from MENU2 or none
    ASSERT_TRUE(read("kept.ini", lines));
    EXPECT_EQ(m_t.Captions[13], QStringLiteral("f1"));
    EXPECT_EQ(m_t.Captions[22], QStringLiteral("f10"));
    EXPECT_EQ(m_t.Captions[58], QStringLiteral("dir"));
    EXPECT_EQ(m_t.Captions[59], QStringLiteral("f2"));
    EXPECT_EQ(m_t.Captions[64], QStringLiteral("u"));
    EXPECT_EQ(m_t.Captions[65], QStringLiteral("v"));
    EXPECT_EQ(m_t.Captions[66], QStringLiteral("w"));
    EXPECT_EQ(m_t.Captions[96], QStringLiteral("n0"));
    EXPECT_EQ(m_t.Captions[97], QStringLiteral("v")); // field 3, last set by the unknown line
    EXPECT_EQ(m_t.Captions[98], QStringLiteral("w"));
    EXPECT_EQ(m_t.Captions[99], QStringLiteral("f4"));   // field 5, last set by MENU2
    EXPECT_EQ(m_t.Captions[105], QStringLiteral("f10")); // field 11
    EXPECT_TRUE(m_t.Captions[106].isEmpty());            // field 12: no line reached it
    EXPECT_TRUE(m_t.Captions[109].isEmpty());
}

TEST_F(ReadLanguageTest, LineWithNinetyEightTextsPassesAndNinetyNineFail) {
    const QStringList texts = numbered(QStringLiteral("t"), 99);
    const QString line98 = QStringLiteral("MENU1,") + texts.mid(0, 98).join(QLatin1Char(','));
    ASSERT_TRUE(read("98.ini", {line98})) << m_error.toStdString();
    EXPECT_EQ(m_t.Captions[0], QStringLiteral("t1"));
    EXPECT_EQ(m_t.Captions[12], QStringLiteral("t13"));
    EXPECT_TRUE(m_t.Captions[13].isEmpty());

    const QString line99 = QStringLiteral("MENU2,") + texts.join(QLatin1Char(','));
    EXPECT_FALSE(read("99.ini", {QStringLiteral("MSG1,one"), line99}));
    EXPECT_FALSE(m_error.isEmpty());
    // A file that fails changes nothing.
    EXPECT_TRUE(m_t.Messages[1].isEmpty());
    EXPECT_TRUE(m_t.Captions[13].isEmpty());
    EXPECT_EQ(m_t.Captions[0], QStringLiteral("t1"));
}

TEST_F(ReadLanguageTest, MissingFileFails) {
    m_t.Captions[0] = QStringLiteral("kept");
    EXPECT_FALSE(ReadLanguage(m_t, m_scratch.path(QStringLiteral("XX.ini")), &m_error));
    EXPECT_FALSE(m_error.isEmpty());
    EXPECT_EQ(m_t.Captions[0], QStringLiteral("kept"));
}

TEST_F(ReadLanguageTest, SecondLanguageKeepsEntriesItDoesNotProvide) {
    ASSERT_TRUE(read("JP.ini", {QStringLiteral("MENU1,") +
                                    numbered(QStringLiteral("メニュー"), 13).join(QLatin1Char(',')),
                                QStringLiteral("MENU8,重ねて表示,並べて表示,同期"),
                                QStringLiteral("MSG5,起動しています")}));
    ASSERT_TRUE(read("EN.ini", {QStringLiteral("MENU1,") +
                                    numbered(QStringLiteral("menu"), 13).join(QLatin1Char(',')),
                                QStringLiteral("MSG5,already running")}));
    EXPECT_EQ(m_t.Captions[0], QStringLiteral("menu1"));
    EXPECT_EQ(m_t.Captions[12], QStringLiteral("menu13"));
    EXPECT_EQ(m_t.Messages[5], QStringLiteral("already running"));
    EXPECT_EQ(m_t.Captions[64], QStringLiteral("重ねて表示"));
    EXPECT_EQ(m_t.Captions[65], QStringLiteral("並べて表示"));
    EXPECT_EQ(m_t.Captions[66], QStringLiteral("同期"));
}

TEST_F(ReadLanguageTest, LineEndsAndByteOrderMarkAreNotPartOfTheTexts) {
    // Without a byte-order mark, with CRLF: the key of line 1 and the last text of every
    // line must come out clean.
    ASSERT_TRUE(
        read("nobom.ini", {QStringLiteral("MENU6,正,逆"), QStringLiteral("MSG3,saved")}, false));
    EXPECT_EQ(m_t.Captions[58], QStringLiteral("正"));
    EXPECT_EQ(m_t.Captions[59], QStringLiteral("逆"));
    EXPECT_EQ(m_t.Messages[3], QStringLiteral("saved"));

    LanguageTables withBom;
    ASSERT_TRUE(ReadLanguage(withBom, write("bom.ini", {QStringLiteral("MENU6,a,b")})));
    EXPECT_EQ(withBom.Captions[58], QStringLiteral("a"));
    EXPECT_EQ(withBom.Captions[59], QStringLiteral("b"));

    // Bare LF line ends are read the same way.
    QByteArray lf = utf16le({QStringLiteral("MSG4,x")});
    lf.replace(QByteArray("\r\0", 2), QByteArray());
    LanguageTables fromLf;
    ASSERT_TRUE(ReadLanguage(fromLf, m_scratch.write(QStringLiteral("lf.ini"), lf)));
    EXPECT_EQ(fromLf.Messages[4], QStringLiteral("x"));
}

// ---- the shipped files ----------------------------------------------------------------

struct KeySpec {
    const char* key;
    int first; // first caption index; -1 for the window title, -2 for the convert-all texts
    int count;
};

// Every key a language file must carry and the entries it fills.
constexpr KeySpec ShippedKeys[] = {
    {"WINDOWTITLE", -1, 1}, {"ALLJPEG", -2, 3},   {"MENU1", 0, 13},     {"MENU2", 13, 10},
    {"MENU3", 23, 14},      {"MENU4", 37, 12},    {"MENU5", 49, 9},     {"MENU6", 58, 2},
    {"MENU7", 60, 4},       {"MENU8", 64, 3},     {"MENU9", 67, 1},     {"MENU10", 68, 13},
    {"MENU11", 81, 6},      {"MENU12", 87, 2},    {"MENU19", 90, 3},    {"MENU21", 93, 2},
    {"MARKERLIST", 96, 14}, {"CURSOR", 110, 4},   {"PRCSCAP", 114, 9},  {"DATACAP", 123, 4},
    {"TRNSCAP", 127, 4},    {"NOTECAP", 131, 6},  {"PARTCAP", 137, 5},  {"SAVECAP", 142, 2},
    {"OKNGCAP", 144, 3},    {"DEFTITLE", 147, 4}, {"DEF0ITEM", 151, 8}, {"DEF0LOGO", 159, 4},
    {"DEF1ITEM", 163, 8},   {"DEF1LOGO", 171, 2}, {"DEF2ITEM", 173, 8}, {"DEF2LOGO", 181, 2},
    {"JPEG", 183, 17},      {"EMENU1", 201, 3},   {"SETLOGO1", 204, 9}, {"SETLOGO2", 213, 18},
    {"SETLOGO3", 231, 11},  {"SETLOGO4", 242, 4}, {"FILENAME", 246, 3}, {"FILECOMMENT", 249, 3},
    {"FIELCHANGE", 252, 2}, {"WININFO", 254, 9},  {"WINSET", 263, 5},   {"CPN", 268, 1},
    {"TIRE", 269, 3},       {"SPEED", 273, 4},    {"EDITMENU", 278, 3}, {"COVERCAP", 281, 19},
};

QString shippedPath(const QString& language) {
    return test::systemData() + QStringLiteral("/Laini/") + language + QStringLiteral(".ini");
}

// The raw lines of a shipped file, split into fields, keyed by upper-cased key.
QMap<QString, QList<QStringList>> rawLines(const QString& path) {
    QStringDecoder dec(QStringDecoder::Utf16LE);
    QString text = dec.decode(test::readFile(path));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QMap<QString, QList<QStringList>> out;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        QStringList fields = line.split(QLatin1Char(','));
        const QString key = fields.takeFirst().toUpper();
        out[key].append(fields);
    }
    return out;
}

// The caption entries a complete file fills.
QSet<int> expectedCaptions() {
    QSet<int> s;
    for (const KeySpec& k : ShippedKeys)
        for (int i = 0; k.first >= 0 && i < k.count; ++i)
            s.insert(k.first + i);
    return s;
}

QSet<int> filledCaptions(const LanguageTables& t) {
    QSet<int> s;
    for (size_t i = 0; i < t.Captions.size(); ++i)
        if (!t.Captions[i].isEmpty())
            s.insert(static_cast<int>(i));
    return s;
}

class ShippedLanguageTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedLanguageTest, EveryKeyIsPresentOnceWithItsFullCountOfTexts) {
    const auto lines = rawLines(shippedPath(QString::fromLatin1(GetParam())));
    ASSERT_FALSE(lines.isEmpty()) << "no language file at "
                                  << shippedPath(GetParam()).toStdString();
    for (const KeySpec& k : ShippedKeys) {
        const QString key = QString::fromLatin1(k.key);
        ASSERT_EQ(lines.value(key).size(), 1) << k.key;
        const QStringList texts = lines.value(key).first(); // a copy: value() is a temporary
        EXPECT_EQ(texts.size(), k.count) << k.key;
        for (const QString& t : texts)
            EXPECT_FALSE(t.trimmed().isEmpty()) << k.key;
    }
    for (int n = 1; n <= LastMessage; ++n) {
        const QString key = QStringLiteral("MSG%1").arg(n);
        ASSERT_EQ(lines.value(key).size(), 1) << key.toStdString();
        EXPECT_EQ(lines.value(key).first().size(), 1) << key.toStdString();
    }
}

TEST_P(ShippedLanguageTest, ReadingFillsExactlyTheEntriesOfTheKeyTable) {
    LanguageTables t;
    QString error;
    ASSERT_TRUE(ReadLanguage(t, shippedPath(QString::fromLatin1(GetParam())), &error))
        << error.toStdString();
    EXPECT_EQ(filledCaptions(t), expectedCaptions());
    for (const QString& s : t.Captions)
        EXPECT_TRUE(s.isEmpty() || !s.trimmed().isEmpty());
    for (size_t n = 0; n < t.Messages.size(); ++n)
        EXPECT_EQ(t.Messages[n].trimmed().isEmpty(), n == 0 || n > LastMessage) << "MSG" << n;
    EXPECT_TRUE(t.WindowTitle.contains(QStringLiteral("Rebarscope")));
    for (const QString& s : t.AllJpeg)
        EXPECT_FALSE(s.trimmed().isEmpty());
}

TEST_P(ShippedLanguageTest, TextsFitTheSystemCodePageAndTheMarkerListHeader) {
    LanguageTables t;
    ASSERT_TRUE(ReadLanguage(t, shippedPath(QString::fromLatin1(GetParam()))));
    // CSV files and fixed-width columns use the system code page.
    auto roundTrips = [](const QString& s) { return decodeSystemText(encodeSystemText(s)) == s; };
    for (const QString& s : t.Captions)
        EXPECT_TRUE(roundTrips(s)) << s.toStdString();
    for (const QString& s : t.Messages)
        EXPECT_TRUE(roundTrips(s)) << s.toStdString();

    // The list header cuts the number caption to 4 bytes and every other column heading,
    // caption plus unit in parentheses, to 10 bytes.
    auto bytes = [](const QString& s) { return encodeSystemText(s).size(); };
    EXPECT_LE(bytes(t.Captions[96]), 4);
    for (int c : {97, 98, 105})
        for (const char* unit : {"(mm)", "(cm)", "(in)", "(m)"})
            EXPECT_LE(bytes(t.Captions[c] + QLatin1String(unit)), 10) << c << unit;
    EXPECT_LE(bytes(t.Captions[105] + QStringLiteral("(s)")), 10);
    EXPECT_LE(bytes(t.Captions[99] + QStringLiteral("(s)")), 10);
    EXPECT_LE(bytes(t.Captions[100] + QStringLiteral("(ns)")), 10);
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageTest, ::testing::Values("JP", "EN"));

TEST(ShippedLanguages, JapaneseAndEnglishFillTheSameEntriesInTheirOwnLanguage) {
    LanguageTables jp, en;
    ASSERT_TRUE(ReadLanguage(jp, shippedPath(QStringLiteral("JP"))));
    ASSERT_TRUE(ReadLanguage(en, shippedPath(QStringLiteral("EN"))));
    EXPECT_EQ(filledCaptions(jp), filledCaptions(en));

    // The English file carries no Japanese text, and the Japanese file is not an English copy.
    auto hasJapanese = [](const QString& s) {
        for (QChar c : s)
            if (c.unicode() >= 0x3000)
                return true;
        return false;
    };
    int japaneseCaptions = 0;
    for (size_t i = 0; i < en.Captions.size(); ++i) {
        EXPECT_FALSE(hasJapanese(en.Captions[i])) << "caption " << i;
        japaneseCaptions += hasJapanese(jp.Captions[i]) ? 1 : 0;
    }
    for (size_t i = 0; i < en.Messages.size(); ++i)
        EXPECT_FALSE(hasJapanese(en.Messages[i])) << "MSG" << i;
    EXPECT_GT(japaneseCaptions, static_cast<int>(expectedCaptions().size()) / 2);
    EXPECT_TRUE(hasJapanese(jp.Messages[21]));
    EXPECT_TRUE(hasJapanese(jp.Messages[32]));

    // Reading English over Japanese replaces every entry the files fill.
    LanguageTables switched = jp;
    ASSERT_TRUE(ReadLanguage(switched, shippedPath(QStringLiteral("EN"))));
    EXPECT_EQ(switched.Captions, en.Captions);
    EXPECT_EQ(switched.Messages, en.Messages);
}

} // namespace
} // namespace rebar
