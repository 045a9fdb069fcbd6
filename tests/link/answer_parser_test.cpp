#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/answer_parser.h"
#include "link/crc16.h"
#include "link/instrument_errors.h"

namespace {

// A parser over its own 1024-byte buffer, as the main window gives it one.
class Parser {
public:
    Parser() {
        std::memset(buffer_, 0x55, sizeof buffer_);
        p_.Data = buffer_;
        ResetAnswerParser(p_);
    }
    // The positions of the bytes for which ParseAnswerByte returned true.
    std::vector<std::size_t> feed(const std::string& bytes) {
        std::vector<std::size_t> completed;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (ParseAnswerByte(static_cast<std::uint8_t>(bytes[i]), p_)) completed.push_back(i);
        }
        return completed;
    }
    std::string data() const { return p_.Data; }
    TAnswerParser& record() { return p_; }
    const char* buffer() const { return buffer_; }

private:
    char buffer_[kAnswerBufferSize + 16];
    TAnswerParser p_;
};

std::string Answer(const std::string& body) {
    const std::uint16_t crc =
        Crc16(reinterpret_cast<const std::uint8_t*>(body.data()), static_cast<std::uint16_t>(body.size()));
    return "\xff!" + body + std::to_string(crc) + "\r";
}

TEST(AnswerParser, AcceptsAGoodDataAnswerOnceAtTheCarriageReturn) {
    Parser p;
    const std::string frame = std::string("\xff!1;4.0125;65499\r");
    EXPECT_EQ(p.feed(frame), std::vector<std::size_t>{frame.size() - 1});
    EXPECT_EQ(p.data(), "4.0125");
    EXPECT_EQ(p.record().Error, 0);
    EXPECT_EQ(p.record().Addr, 1);
}

TEST(AnswerParser, JoinsSeveralFieldsAndHexTextWithoutTheLastSeparator) {
    Parser p;
    EXPECT_EQ(p.feed(Answer("12;12;7;0;")).size(), 1u);
    EXPECT_EQ(p.data(), "12;7;0");
    EXPECT_EQ(p.record().Addr, 12);
    EXPECT_EQ(p.feed(Answer("1;0A1BFFcd;")).size(), 1u);
    EXPECT_EQ(p.data(), "0A1BFFcd");
}

TEST(AnswerParser, DropsEveryFrameWhoseChecksumDiffers) {
    for (const char* bad : {"\xff!1;4.0125;65498\r", "\xff!1;4.0125;5499\r", "\xff!1;4.0125;\r",
                            "\xff!1;$5;26691\r"}) {
        Parser p;
        EXPECT_TRUE(p.feed(bad).empty()) << bad + 1;
        EXPECT_EQ(p.record().Error, ErrFrame);
    }
}

TEST(AnswerParser, TakesAnErrorAnswerWithEmptyData) {
    Parser p;
    p.feed(Answer("1;4.0125;"));
    EXPECT_EQ(p.feed("\xff!1;$5;26690\r").size(), 1u);
    EXPECT_EQ(p.record().Error, 5);
    EXPECT_EQ(p.data(), "");
    EXPECT_EQ(p.feed(Answer("7;$70;")).size(), 1u) << "the detection reply";
    EXPECT_EQ(p.record().Error, 70);
    EXPECT_EQ(p.record().Addr, 7);
}

TEST(AnswerParser, AStartOrAStrayByteAbandonsTheFrameButNotTheNextOne) {
    const std::string good = Answer("1;4.0125;");
    for (const std::string& broken : {std::string("\xff!1;4.01"), std::string("\xff!1;4.01\xff"),
                                      std::string("\xff!1;4.0?"), std::string("\xff!1;$x"),
                                      std::string("\xff!;"), std::string("\xff!1;3$")}) {
        Parser p;
        const auto completed = p.feed(broken + good);
        EXPECT_EQ(completed, std::vector<std::size_t>{broken.size() + good.size() - 1}) << broken;
        EXPECT_EQ(p.data(), "4.0125") << broken;
    }
}

TEST(AnswerParser, IgnoresNoiseBetweenFramesAndSeesTwoAnswersInOneRead) {
    Parser p;
    const std::string first = Answer("1;4.0125;");
    const std::string second = Answer("1;$7;");
    const auto completed = p.feed(std::string("\x00\x13garbage", 9) + first + "\n\xff\xff" + second);
    ASSERT_EQ(completed.size(), 2u);
    EXPECT_EQ(p.record().Error, 7);
}

TEST(AnswerParser, ChecksAnAnswerWithoutFieldsAgainstItsOwnChecksum) {
    Parser p;
    // The previous answer leaves its separator checksum behind; it must not be taken.
    p.feed(Answer("1;4.0125;"));
    const std::uint16_t stale = p.record().CrcAtSep;
    EXPECT_TRUE(p.feed("\xff!1;" + std::to_string(stale) + "\r").empty());
    EXPECT_EQ(p.feed(Answer("1;")).size(), 1u);
    EXPECT_EQ(p.data(), "");
}

TEST(AnswerParser, WithoutABufferTakesNoAnswerAndWritesNowhere) {
    // "!233216;" has the body checksum 0: an answer without fields, complete at once.
    const std::string noFields("\xff!233216;\r");
    for (const std::string& frame : {noFields, std::string("\xff!1;$5;26690\r"), Answer("1;4.0125;")}) {
        Parser withBuffer;
        EXPECT_EQ(withBuffer.feed(frame).size(), 1u) << frame.substr(1);

        TAnswerParser p;
        ResetAnswerParser(p);
        for (char c : frame) {
            EXPECT_FALSE(ParseAnswerByte(static_cast<std::uint8_t>(c), p)) << frame.substr(1);
        }
        EXPECT_EQ(p.Data, nullptr);
    }
}

TEST(AnswerParser, ABodyThatWouldOverflowTheBufferIsAFrameError) {
    Parser p;
    const std::string fits(kAnswerBufferSize - 1 - 7, 'A');  // with ';' and five CRC digits stored
    EXPECT_EQ(p.feed(Answer("1;" + fits + ";")).size(), 1u);
    EXPECT_EQ(p.data().size(), fits.size());

    const std::string huge(5000, 'B');
    EXPECT_TRUE(p.feed(Answer("1;" + huge + ";")).empty());
    EXPECT_EQ(p.record().Error, ErrFrame);
    for (std::size_t i = kAnswerBufferSize; i < kAnswerBufferSize + 16; ++i)
        EXPECT_EQ(p.buffer()[i], 0x55) << "byte " << i << " behind the buffer was written";
    EXPECT_EQ(p.feed(Answer("1;4.0125;")).size(), 1u) << "the parser recovers";
}

TEST(HexToBytes, DecodesPairsAndStopsAtTheEndOfTheText) {
    struct Case {
        const char* text;
        int count;
        std::vector<std::uint8_t> bytes;  // the out buffer starts as 0xEE
        int decoded;
    } cases[] = {
        {"0A1BFF", 3, {0x0A, 0x1B, 0xFF, 0xEE}, 3},
        {"0A1BFF", 5, {0x0A, 0x1B, 0xFF, 0xEE}, 3},
        {"0a1bff", 3, {0x0A, 0x1B, 0xFF, 0xEE}, 3},
        {"0A1", 3, {0x0A, 0xEE, 0xEE, 0xEE}, 1},
        {"", 3, {0xEE, 0xEE, 0xEE, 0xEE}, 0},
        {"0A1BFF", 0, {0xEE, 0xEE, 0xEE, 0xEE}, 0},
        // A pair that is not two digits ends the decoding: no made-up byte, none after it.
        {"0AG1FF", 3, {0x0A, 0xEE, 0xEE, 0xEE}, 1},
        {"0A1;FF", 3, {0x0A, 0xEE, 0xEE, 0xEE}, 1},
        {":0", 1, {0xEE, 0xEE, 0xEE, 0xEE}, 0},
        {"-1.5", 2, {0xEE, 0xEE, 0xEE, 0xEE}, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> out(4, 0xEE);
        EXPECT_EQ(HexToBytes(out.data(), c.text, c.count), c.decoded) << c.text << " x" << c.count;
        EXPECT_EQ(out, c.bytes) << c.text << " x" << c.count;
    }
    // Only the view's characters are read, whatever follows them in memory.
    std::vector<std::uint8_t> out(4, 0xEE);
    EXPECT_EQ(HexToBytes(out.data(), std::string_view("0A1BFF", 3), 3), 1);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x0A, 0xEE, 0xEE, 0xEE}));
}

TEST(InstrumentErrorText, NamesEachCodeAndFallsBackToUnknown) {
    EXPECT_STREQ(InstrumentErrorText(0), "Нет ошибок");
    EXPECT_STREQ(InstrumentErrorText(5), "Адрес больше допустимого");
    EXPECT_STREQ(InstrumentErrorText(12), "Обрыв датчика");
    for (int code : {13, 14, 50, 70, -1, -128})
        EXPECT_STREQ(InstrumentErrorText(code), "Неизвестный код ошибки") << code;
}

}  // namespace
