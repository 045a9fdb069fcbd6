#include "tests/support/printers.h"

#include <cstdio>
#include <string>

namespace testing_support {

std::string Visible(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace testing_support

QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << testing_support::Visible(bytes.toStdString()) << '"';
}
QT_END_NAMESPACE
