#include "platform/class_library/cp1251.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/printers.h"

namespace {

using platform::FromCp1251;
using platform::ToCp1251;

TEST(Cp1251, RussianTextHasItsCodePageBytes) {
    const QString text = QStringLiteral("Ёлка ёж № 7: АБВ эюя");
    const std::string bytes = "\xA8\xEB\xEA\xE0 \xB8\xE6 \xB9 7: \xC0\xC1\xC2 \xFD\xFE\xFF";
    EXPECT_EQ(testing_support::Visible(ToCp1251(text)), testing_support::Visible(bytes));
    EXPECT_EQ(FromCp1251(bytes), text);
}

// Characters of the upper half whose places are easy to get wrong: the letters of other
// Cyrillic alphabets, the punctuation block and the letters around the gaps.
TEST(Cp1251, UpperHalfHoldsTheCodePageCharacters) {
    const struct {
        unsigned char byte;
        char16_t character;
    } cases[] = {
        {0x80, u'Ђ'}, {0x82, u'‚'}, {0x84, u'„'},   {0x88, u'€'}, {0x8A, u'Љ'}, {0x96, u'–'},   {0x97, u'—'},
        {0x99, u'™'}, {0x9F, u'џ'}, {0xA0, 0x00A0}, {0xA5, u'Ґ'}, {0xAB, u'«'}, {0xAD, 0x00AD}, {0xB2, u'І'},
        {0xB4, u'ґ'}, {0xBB, u'»'}, {0xBF, u'ї'},   {0xC0, u'А'}, {0xDF, u'Я'}, {0xE0, u'а'},
    };
    for (const auto& c : cases) {
        const std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(FromCp1251(byte), QString(QChar(c.character))) << std::hex << int{c.byte};
        EXPECT_EQ(ToCp1251(QString(QChar(c.character))), byte) << std::hex << int{c.byte};
    }
}

TEST(Cp1251, EveryDefinedByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        if (byte != 0x98) all += static_cast<char>(byte);
    }
    const QString text = FromCp1251(all);
    EXPECT_EQ(text.size(), static_cast<qsizetype>(all.size()));
    EXPECT_EQ(testing_support::Visible(ToCp1251(text)), testing_support::Visible(all));
}

TEST(Cp1251, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(FromCp1251("\x98"), QString(QChar(0xFFFD)));
    EXPECT_EQ(ToCp1251(FromCp1251("a\x98z")), "a?z");
    EXPECT_EQ(ToCp1251(QStringLiteral("äß日本")), "????");
    // One character beyond the basic plane, written as a surrogate pair, is one '?'.
    EXPECT_EQ(ToCp1251(QStringLiteral("x😀y")), "x?y");
    EXPECT_EQ(ToCp1251(QString(QChar(0xD800)) + u'z'), "?z");
}

}  // namespace
