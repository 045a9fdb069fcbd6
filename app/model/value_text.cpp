#include "app/model/value_text.h"

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/class_library/os_services.h"
#include "platform/system/clock.h"
#include "platform/text/number_format.h"
#include "platform/text/number_scan.h"

namespace {

constexpr qsizetype kCutLength = 9;

QString Fixed(float value, int decimals) {
    return QString::fromStdString(platform::FormatFixed(static_cast<double>(value), decimals));
}

}  // namespace

void UseDotDecimalSeparator() {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

QString FloatText4(float value) { return Fixed(value, 4); }

QString FloatText3(float value) { return Fixed(value, 3); }

QString FloatText7(float value) { return CutToNine(Fixed(value, 7)); }

QString CutToNine(const QString& text) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const qsizetype integerLength = point < 0 ? text.size() : point;
    // Cutting digits off the integer part would show a value 10^k times too small.
    if (integerLength > kCutLength) return text.left(integerLength);
    return text.left(kCutLength);
}

std::optional<float> ReadFloat(std::string_view text) { return platform::ScanFloat(text); }

std::optional<float> ReadFloat(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return ReadFloat(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

float ParseFloat(const char* text) { return text ? ParseFloat(std::string_view(text)) : 0.0f; }

float ParseFloat(std::string_view text) { return ReadFloat(text).value_or(0.0f); }

float ParseFloat(const QString& text) { return ReadFloat(text).value_or(0.0f); }

bool IsFloatText(const char* text) { return text && IsFloatText(std::string_view(text)); }

bool IsFloatText(std::string_view text) { return ReadFloat(text).has_value(); }

bool IsFloatText(const QString& text) { return ReadFloat(text).has_value(); }

QString CutFraction(const QString& text, int n) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) return text;
    const qint64 p = point + 1;
    const qint64 length = n > 0 ? p + n : p + n - 1;
    if (length <= 0) return {};
    return text.left(static_cast<qsizetype>(std::min<qint64>(length, text.size())));
}

const char* ExeDir() {
    static char buffer[1024];
    constexpr const char* kFailure = "Error GetModuleFileName()";
    const QByteArray path = QFile::encodeName(platform::ExecutablePath());
    const qsizetype separator = path.lastIndexOf('/');
    // A path the buffer cannot hold whole is a failure, never a cut-off folder.
    if (path.isEmpty() || path.size() >= static_cast<qsizetype>(sizeof buffer) || separator < 0) {
        std::snprintf(buffer, sizeof buffer, "%s", kFailure);
        return buffer;
    }
    std::memcpy(buffer, path.constData(), static_cast<std::size_t>(separator));
    buffer[separator] = '\0';
    return buffer;
}

const char* TodayText() {
    static char buffer[11];
    const std::time_t now = std::chrono::system_clock::to_time_t(platform::WallClockNow());
    std::tm local{};
    localtime_r(&now, &local);
    // "%04d.%02d.%02d", digit by digit.
    const auto put = [](char* at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
    };
    put(buffer, std::clamp(local.tm_year + 1900, 0, 9999), 4);
    buffer[4] = '.';
    put(buffer + 5, std::clamp(local.tm_mon + 1, 1, 12), 2);
    buffer[7] = '.';
    put(buffer + 8, std::clamp(local.tm_mday, 1, 31), 2);
    buffer[10] = '\0';
    return buffer;
}
