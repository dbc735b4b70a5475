// Text in the system code page: what cannot be held becomes one "?" per character, and byte
// lengths agree with the encoded text.

#include "base/TextEncoding.h"

#include <gtest/gtest.h>

using namespace rebar;

TEST(TextEncoding, OneQuestionMarkPerCharacterTheCodePageCannotHold) {
    const QString e = QString::fromUtf8("caf\u00e9");        // é: two UTF-8 bytes
    const QString emoji = QString::fromUtf8("a\U0001F600b"); // four UTF-8 bytes, a surrogate pair
    EXPECT_EQ(encodeSystemText(e), "caf?");
    EXPECT_EQ(encodeSystemText(emoji), "a?b");
    EXPECT_EQ(encodeSystemText(QString::fromUtf8("深\u00e9さ")), "\x90\x5b?\x82\xb3");
    for (const QString& t : {e, emoji, QString::fromUtf8("深さ"), QString::fromUtf8("ｱｲ")})
        EXPECT_EQ(ByteLength(t), encodeSystemText(t).size()) << t.toStdString();
    EXPECT_EQ(ByteLength(emoji), 3);
    // The cut never splits a character, whatever its width.
    EXPECT_EQ(CutToByteLength(QString::fromUtf8("ab深"), 3), "ab");
    EXPECT_EQ(CutToByteLength(emoji, 2), QString::fromUtf8("a\U0001F600"));
}
