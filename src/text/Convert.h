#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Text <-> integer and date conversions with the behaviour of the platform the program was
// written for: failures raise ConversionError naming the bad value.
namespace veltor {

// A calendar date without time. Comparable, so dates can be sorted and compared.
struct Date {
    int year = 1900;
    int month = 1;
    int day = 1;
    auto operator<=>(const Date &) const = default;
};

// 01.01.1900: what an empty date control holds.
constexpr Date EmptyDate{1900, 1, 1};

// Decimal integer: optional blanks (space, tab) around, optional sign, digits; a '$' or "0x" prefix
// reads hexadecimal of up to 32 bits ($FFFFFFFF is -1, as the platform reads it). Trailing blanks
// are accepted too, although the platform rejected them: field texts and edits often end in one.
// A value outside 32 bits, an empty text or any other character throws ConversionError
// «"12а" не является целым числом» (CP1251 input, the message in UTF-8).
int32_t strToInt(std::string_view text);
// As strToInt, but returns false instead of throwing.
bool tryStrToInt(std::string_view text, int32_t &value);

// Decimal text of a 32-bit integer.
std::string intToStr(int64_t value);

// "dd.MM.yyyy": two digits for day and month, four for the year.
std::string dateToStr(const Date &date);
// Accepts d.M.yyyy with one or two digits for day and month and four for the year, blanks
// around allowed; a date that does not exist raises ConversionError «"31.02.2006" не является датой».
Date strToDate(std::string_view text);
bool tryStrToDate(std::string_view text, Date &date);
bool isValidDate(const Date &date);

// Today by the system clock.
Date today();

// A floating-point value read from text ("1234.56" or "1234,56"); ConversionError otherwise.
double strToFloat(std::string_view text);

// The value formatted with exactly `decimals` digits after the separator, no thousands separator,
// '.' as the separator. As the platform's "0.00" patterns do, the value is first taken to 15
// significant digits and that decimal text is rounded half away from zero: 0.125 -> "0.13",
// 1234.565 -> "1234.57". A value that rounds to zero has no sign; NaN and infinities give
// "NAN", "INF", "-INF".
std::string formatFixed(double value, int decimals);

} // namespace veltor
