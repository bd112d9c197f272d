#include "core/Error.h"
#include "core/SjisCodec.h"

#include <gtest/gtest.h>

namespace sjis = kelpora::sjis;

TEST(ShiftJis, EveryCodePage932CharacterSurvivesTheRoundTrip)
{
    int characters = 0;
    auto check = [&](QByteArray bytes) {
        const QString text = sjis::decode(bytes);
        if (text.contains(QChar(0xFFFD)))
            return; // not a character of code page 932
        ++characters;
        // Some characters have two codes (NEC and IBM rows); the text must survive either way.
        const QByteArray again = sjis::encode(text);
        EXPECT_EQ(sjis::decode(again), text) << bytes.toHex().constData();
    };
    for (int b = 0; b < 0x100; ++b)
        check(QByteArray(1, char(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail)
            check(QByteArray{char(lead), char(trail)});
    EXPECT_GT(characters, 7700);
}

TEST(ShiftJis, KnownBytes)
{
    EXPECT_EQ(sjis::encode(QStringLiteral("釣果")), QByteArray("\x92\xde\x89\xca"));
    EXPECT_EQ(sjis::encode(QStringLiteral("ｱ")), QByteArray("\xb1"));
    EXPECT_EQ(sjis::decode(QByteArray("\x8a\xd9\x8e\x52")), QStringLiteral("館山"));
    EXPECT_EQ(sjis::encode(QString()), QByteArray());
}

TEST(ShiftJis, CharactersWithoutAShiftJisFormAreRefusedByName)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("𠮷"), QStringLiteral("𠮷")},
        {QStringLiteral("魚🐟"), QStringLiteral("🐟")},
        {QStringLiteral("한글"), QStringLiteral("한")},
        // A lone surrogate (pasted, or cut from a pair) is named by its code, never stored as "?".
        {QStringLiteral("釣") + QChar(0xD83D), QStringLiteral("D83D")},
        {QString(QChar(0xDC1F)) + QStringLiteral("a"), QStringLiteral("DC1F")},
    };
    for (const auto& [text, culprit] : cases) {
        try {
            sjis::encode(text);
            ADD_FAILURE() << "encoded " << qPrintable(text);
        } catch (const kelpora::EncodingError& e) {
            EXPECT_TRUE(e.text().contains(culprit)) << qPrintable(e.text());
        }
    }
}

TEST(ShiftJis, InvalidStoredBytesReadAsReplacementCharacters)
{
    // A lone lead byte at the end, a lead byte with an invalid trail, and an undefined byte.
    EXPECT_EQ(sjis::decode(QByteArray("A\x82")), QStringLiteral("A\uFFFD"));
    EXPECT_EQ(sjis::decode(QByteArray("\x81\x20Z")), QStringLiteral("\uFFFD Z"));
    const QString undefined = sjis::decode(QByteArray("\xa0\x82\xa0"));
    EXPECT_TRUE(undefined.contains(QChar(0xFFFD)));
    EXPECT_TRUE(undefined.endsWith(QStringLiteral("あ")) || undefined.endsWith(QChar(0xFFFD)));
}
