#include "text/Convert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void throwNotA(std::string_view text, const char *what)
{
    throw ConversionError("\"" + cp1251ToUtf8(text) + "\" " + what);
}

bool parseInt(std::string_view text, int32_t &value)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (!text.empty() && text.front() == '$') {
        hex = true;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    }
    if (text.empty())
        return false;

    if (hex) {
        // Hexadecimal takes all 32 bits, so $FFFFFFFF is -1 as the platform reads it.
        uint64_t magnitude = 0;
        for (const char c : text) {
            const int digit = hexDigitValue(c);
            if (digit < 0)
                return false;
            magnitude = magnitude * 16 + static_cast<uint64_t>(digit);
            if (magnitude > 0xFFFFFFFFu)
                return false;
        }
        uint32_t bits = static_cast<uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<int32_t>(bits);
        return true;
    }

    int64_t magnitude = 0;
    const int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (const char c : text) {
        if (!isDigit(c))
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

// Reads 1..maxDigits decimal digits at `pos`, advancing it.
bool readNumber(std::string_view text, std::size_t &pos, std::size_t minDigits, std::size_t maxDigits,
                int &number)
{
    const std::size_t start = pos;
    number = 0;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < maxDigits) {
        number = number * 10 + (text[pos] - '0');
        ++pos;
    }
    const std::size_t count = pos - start;
    // More digits than allowed is malformed, not a shorter number followed by junk.
    return count >= minDigits && (pos == text.size() || !isDigit(text[pos]));
}

bool parseDate(std::string_view text, Date &date)
{
    text = trimBlanks(text);
    std::size_t pos = 0;
    Date parsed;
    if (!readNumber(text, pos, 1, 2, parsed.day) || pos >= text.size() || text[pos++] != '.')
        return false;
    if (!readNumber(text, pos, 1, 2, parsed.month) || pos >= text.size() || text[pos++] != '.')
        return false;
    if (!readNumber(text, pos, 4, 4, parsed.year) || pos != text.size())
        return false;
    if (!isValidDate(parsed))
        return false;
    date = parsed;
    return true;
}

bool parseFloat(std::string_view text, double &value)
{
    text = trimBlanks(text);
    std::string normal;
    normal.reserve(text.size());
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-')
            normal.push_back('-');
        ++pos;
    }
    int mantissaDigits = 0;
    bool separatorSeen = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (isDigit(c)) {
            ++mantissaDigits;
            normal.push_back(c);
        } else if ((c == '.' || c == ',') && !separatorSeen) {
            separatorSeen = true;
            normal.push_back('.');
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        normal.push_back('e');
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            normal.push_back(text[pos++]);
        int exponentDigits = 0;
        for (; pos < text.size() && isDigit(text[pos]); ++pos, ++exponentDigits)
            normal.push_back(text[pos]);
        if (exponentDigits == 0)
            return false;
    }
    if (pos != text.size())
        return false;
    double parsed = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
    if (result.ec != std::errc() || result.ptr != normal.data() + normal.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

} // namespace

int32_t strToInt(std::string_view text)
{
    int32_t value = 0;
    if (!parseInt(text, value))
        throwNotA(text, "не является целым числом");
    return value;
}

bool tryStrToInt(std::string_view text, int32_t &value)
{
    return parseInt(text, value);
}

std::string intToStr(int64_t value)
{
    return std::to_string(value);
}

std::string dateToStr(const Date &date)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d", date.day, date.month, date.year);
    return buffer;
}

Date strToDate(std::string_view text)
{
    Date date;
    if (!parseDate(text, date))
        throwNotA(text, "не является датой");
    return date;
}

bool tryStrToDate(std::string_view text, Date &date)
{
    return parseDate(text, date);
}

bool isValidDate(const Date &date)
{
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1)
        return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    const int days = date.month == 2 && leap ? 29 : kDays[date.month - 1];
    return date.day <= days;
}

Date today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

double strToFloat(std::string_view text)
{
    double value = 0;
    if (!parseFloat(text, value))
        throwNotA(text, "не является числом");
    return value;
}

std::string formatFixed(double value, int decimals)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (decimals < 0)
        decimals = 0;

    // Like the platform, take the value to 15 significant digits first and round that decimal
    // text half away from zero: 0.125 gives 0.13 and 1234.565 (binary 1234.56499999...) 1234.57.
    constexpr int kSignificant = 15;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificant - 1, std::fabs(value));
    std::string digits;
    const char *p = buffer;
    for (; *p != 'e'; ++p) {
        if (isDigit(*p))
            digits.push_back(*p);
    }
    const int exponent = static_cast<int>(std::strtol(p + 1, nullptr, 10));

    // `keep` digits of the 15 form the whole number round(|value| * 10^decimals).
    const int keep = exponent + 1 + decimals;
    std::string scaled;
    if (keep >= 0) {
        scaled = digits.substr(0, static_cast<std::size_t>(std::min(keep, kSignificant)));
        if (keep > kSignificant)
            scaled.append(static_cast<std::size_t>(keep - kSignificant), '0');
        if (keep < kSignificant && digits[static_cast<std::size_t>(keep)] >= '5') {
            int i = static_cast<int>(scaled.size()) - 1;
            for (; i >= 0 && scaled[static_cast<std::size_t>(i)] == '9'; --i)
                scaled[static_cast<std::size_t>(i)] = '0';
            if (i >= 0)
                ++scaled[static_cast<std::size_t>(i)];
            else
                scaled.insert(scaled.begin(), '1');
        }
    }
    const std::size_t firstNonZero = scaled.find_first_not_of('0');
    const bool zero = firstNonZero == std::string::npos;
    scaled = zero ? std::string() : scaled.substr(firstNonZero);
    if (scaled.size() < static_cast<std::size_t>(decimals) + 1)
        scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');

    std::string result;
    if (value < 0 && !zero)
        result.push_back('-');
    result.append(scaled, 0, scaled.size() - static_cast<std::size_t>(decimals));
    if (decimals > 0) {
        result.push_back('.');
        result.append(scaled, scaled.size() - static_cast<std::size_t>(decimals), std::string::npos);
    }
    return result;
}

} // namespace veltor
