#include "app/model/archive_file.h"

#include <climits>
#include <cstring>

#include "link/answer_parser.h"
#include "platform/text/number_scan.h"

namespace {

constexpr std::size_t kHexDigits = 2 * kArchiveBlockSize;

// The file read the way the stream functions read it: a literal is taken only when it matches,
// an integer wherever "%d" would take one.
class AnswerReader {
public:
    explicit AnswerReader(std::string_view bytes) : rest_(bytes) {}

    // 0xFF, '!', the address and, when one follows, ';'. False when no address was read.
    bool Start() {
        if (!Take('\xff') || !Take('!') || !Integer()) return false;
        Take(';');
        return true;
    }

    // The next 64 characters, read as a line is read: the reading stops after a line feed or at
    // the file's end, and a NUL ends the text. False when fewer than 64 came.
    bool Data(char (&hex)[kHexDigits + 1]) {
        std::size_t count = 0;
        while (count < kHexDigits && !rest_.empty()) {
            const char c = rest_.front();
            rest_.remove_prefix(1);
            hex[count++] = c;
            if (c == '\n') break;
        }
        hex[count] = '\0';
        return std::strlen(hex) == kHexDigits;
    }

    // ';', the CRC and one character, which must be '\r'.
    bool End() {
        if (!Take(';') || !Integer() || rest_.empty()) return false;
        const char c = rest_.front();
        rest_.remove_prefix(1);
        return c == '\r';
    }

private:
    bool Take(char c) {
        if (rest_.empty() || rest_.front() != c) return false;
        rest_.remove_prefix(1);
        return true;
    }

    bool Integer() {
        const std::size_t length = platform::IntegerLength(rest_);
        rest_.remove_prefix(length);
        return length > 0;
    }

    std::string_view rest_;
};

}  // namespace

int ReadArchiveFile(std::string_view bytes, const std::function<void(const TArchiveRecord&)>& onRecord) {
    AnswerReader file(bytes);
    int count = 0;
    char hex[kHexDigits + 1];
    while (count < INT_MAX) {
        TArchiveRecord record{};
        std::uint8_t* half = RecordBytes(record);
        if (!file.Start() || !file.Data(hex)) break;
        HexToBytes(half, hex, kArchiveBlockSize);
        if (!file.End() || !file.Start() || !file.Data(hex)) break;
        HexToBytes(half + kArchiveBlockSize, hex, kArchiveBlockSize);
        ++count;
        if (onRecord) onRecord(record);
        if (!file.End()) break;
    }
    return count;
}
