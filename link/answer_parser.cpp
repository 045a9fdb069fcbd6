#include "link/answer_parser.h"

#include "link/crc16.h"

TAnswerParser AnswerParser;

namespace {

enum ParserState : std::uint8_t {
    Idle = 1,
    FirstAddressDigit = 2,
    AddressDigits = 3,
    MoreAddressDigits = 4,
    AfterAddress = 6,
    Fields = 7,
    ErrorMark = 50,
    ErrorDigits = 51,
};

bool FrameError(TAnswerParser& p) {
    p.Error = ErrFrame;
    p.State = Idle;
    return false;
}

// One byte is always kept free behind the text for its terminator.
bool Store(TAnswerParser& p, std::uint8_t byte) {
    if (p.Data == nullptr || p.Put < p.Data || p.Put >= p.Data + kAnswerBufferSize - 1) return false;
    *p.Put++ = static_cast<char>(byte);
    return true;
}

void MarkSeparator(TAnswerParser& p) {
    p.CrcAtSep = p.Crc;
    p.SepEnd = p.Put;
    p.RxCrc = 0;
}

int Digit(std::uint8_t byte) { return byte - '0'; }

bool InFields(std::uint8_t byte, int cls, TAnswerParser& p) {
    switch (cls) {
        case ClassNumber:
            p.RxCrc = static_cast<std::uint16_t>(p.RxCrc * 10 + Digit(byte));
            return Store(p, byte) ? false : FrameError(p);
        case ClassHexLetter:
            return Store(p, byte) ? false : FrameError(p);
        case ClassSeparator:
            if (!Store(p, byte)) return FrameError(p);
            MarkSeparator(p);
            return false;
        case ClassEnd:
            // Without a buffer there is nowhere to end the text: no answer can be taken.
            if (p.RxCrc != p.CrcAtSep || p.Data == nullptr) return FrameError(p);
            p.State = Idle;
            *p.SepEnd = 0;
            if (p.SepEnd > p.Data) p.SepEnd[-1] = 0;
            return true;
        default:
            return FrameError(p);
    }
}

}  // namespace

int CharClass(std::uint8_t byte) {
    if (byte == '!') return ClassStart;
    if ((byte >= '0' && byte <= '9') || byte == '+' || byte == '-' || byte == '.' || byte == 'E' || byte == 'e')
        return ClassNumber;
    if ((byte >= 'A' && byte <= 'F') || (byte >= 'a' && byte <= 'f')) return ClassHexLetter;
    if (byte == ';') return ClassSeparator;
    if (byte == '$') return ClassErrorMark;
    if (byte == '\r') return ClassEnd;
    return ClassOther;
}

void ResetAnswerParser(TAnswerParser& parser) {
    parser.State = Idle;
    parser.Crc = 0xFFFF;
    parser.Put = parser.Data;
    parser.RxCrc = 0;
    if (parser.Data) parser.Data[0] = 0;
    parser.Error = 0;
}

bool ParseAnswerByte(std::uint8_t byte, TAnswerParser& p) {
    const int cls = CharClass(byte);
    if (cls == ClassStart) {
        ResetAnswerParser(p);
        p.State = FirstAddressDigit;
        return false;
    }
    p.Crc = Crc16Update(byte, p.Crc);
    switch (p.State) {
        case Idle:
            return false;
        case FirstAddressDigit:
            if (cls != ClassNumber) return FrameError(p);
            p.Addr = static_cast<std::uint8_t>(Digit(byte));
            p.State = AddressDigits;
            return false;
        case AddressDigits:
        case MoreAddressDigits:
            if (cls == ClassNumber) {
                p.Addr = static_cast<std::uint8_t>(p.Addr * 10 + Digit(byte));
                p.State = MoreAddressDigits;
                return false;
            }
            if (cls == ClassSeparator) {
                // An answer without data fields is checked against its own CRC, not the last one's.
                MarkSeparator(p);
                p.State = AfterAddress;
                return false;
            }
            return FrameError(p);
        case AfterAddress:
            if (cls == ClassErrorMark) {
                p.State = ErrorMark;
                return false;
            }
            p.State = Fields;
            return InFields(byte, cls, p);
        case Fields:
            return InFields(byte, cls, p);
        case ErrorMark:
            if (cls != ClassNumber) return FrameError(p);
            p.Error = static_cast<std::int8_t>(Digit(byte));
            p.State = ErrorDigits;
            return false;
        case ErrorDigits:
            if (cls == ClassNumber) {
                p.Error = static_cast<std::int8_t>(p.Error * 10 + Digit(byte));
                return false;
            }
            if (cls == ClassSeparator) {
                MarkSeparator(p);
                p.State = Fields;
                return false;
            }
            return FrameError(p);
        default:
            return FrameError(p);
    }
}

namespace {

// The value of a hexadecimal digit, -1 for any other character.
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

int HexToBytes(std::uint8_t* out, std::string_view text, int count) {
    if (out == nullptr) return 0;
    int decoded = 0;
    for (; decoded < count && text.size() >= 2; ++decoded, text.remove_prefix(2)) {
        const int high = HexValue(text[0]);
        const int low = HexValue(text[1]);
        if (high < 0 || low < 0) break;
        out[decoded] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return decoded;
}

int HexToBytes(std::uint8_t* out, const char* text, int count) {
    return text ? HexToBytes(out, std::string_view(text), count) : 0;
}
