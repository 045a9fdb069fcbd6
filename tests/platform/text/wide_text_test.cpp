#include "platform/text/wide_text.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TEST(WideText, Utf8RoundTripsEveryPlane) {
    const std::u16string text = u"A Ё ж € \U0001F600 \uFFFD";
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(text)), text);
    EXPECT_EQ(Utf8FromWide(u"Лист"), "Лист");
}

TEST(WideText, MalformedUtf8BecomesReplacementCharacters) {
    const struct {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},        // stray continuation byte
        {"\xD0", u"\uFFFD"},  // cut short at the end
        {"\xD0"
         "a",
         u"\uFFFDa"},                     // cut short before a letter, which survives
        {"\xC0\xAF", u"\uFFFD"},          // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD"},      // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},  // past U+10FFFF
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(WideFromUtf8(c.bytes), c.expected) << c.bytes;
    EXPECT_EQ(Utf8FromWide(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");  // a lone surrogate
}

TEST(WideText, CodePage1251WithoutQt) {
    EXPECT_EQ(WideFromCp1251("\xCB\xE8\xF1\xF2 \xB9"), u"Лист №");
    EXPECT_EQ(Cp1251FromWide(u"Лист № \U0001F600"), "\xCB\xE8\xF1\xF2 \xB9 ?");
}

}  // namespace
