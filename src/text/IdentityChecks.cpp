#include "text/IdentityChecks.h"

#include <array>
#include <string>

namespace veltor {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int checkDigit(std::string_view digits, const int *weights, size_t count)
{
    int sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += (digits[i] - '0') * weights[i];
    return sum % 11 % 10;
}

} // namespace

bool innValid(std::string_view inn)
{
    if (inn.size() != 12)
        return false;
    for (const char c : inn)
        if (!isDigit(c))
            return false;
    static constexpr std::array<int, 11> first = {7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
    static constexpr std::array<int, 11> second = {3, 7, 2, 4, 10, 3, 5, 9, 4, 6, 8};
    return checkDigit(inn, first.data(), 10) == inn[10] - '0'
           && checkDigit(inn, second.data(), 11) == inn[11] - '0';
}

bool snilsValid(std::string_view snils)
{
    std::string digits;
    for (const char c : snils) {
        if (isDigit(c))
            digits += c;
        else if (c != '-' && c != ' ')
            return false;
    }
    if (digits.size() != 11)
        return false;
    const long number = std::stol(digits.substr(0, 9));
    if (number <= 1001998)
        return true;
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (digits[static_cast<size_t>(i)] - '0') * (9 - i);
    int check = sum % 101;
    if (check == 100)
        check = 0;
    return check == std::stoi(digits.substr(9));
}

bool passportNumberValid(std::string_view passport)
{
    if (passport.size() != 12 || passport[2] != ' ' || passport[5] != ' ')
        return false;
    for (size_t i = 0; i < passport.size(); ++i)
        if (i != 2 && i != 5 && !isDigit(passport[i]))
            return false;
    return true;
}

} // namespace veltor
