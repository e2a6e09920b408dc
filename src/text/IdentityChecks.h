#pragma once
#include <string_view>

// Check digits of Russian identity numbers, so a mistyped number is noticed when it is entered.
namespace veltor {

// A person's INN: 12 digits, the last two check digits of the ten before them.
bool innValid(std::string_view inn);

// An insurance number (СНИЛС): 11 digits, written "XXX-XXX-XXX YY" or with other blanks and
// dashes between them; YY is the check number of the first nine. Numbers up to 001-001-998
// were issued before the check number existed and pass.
bool snilsValid(std::string_view snils);

// A passport number written "SS SS NNNNNN": series in two pairs of digits, six-digit number.
bool passportNumberValid(std::string_view passport);

} // namespace veltor
