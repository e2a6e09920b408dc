#include <gtest/gtest.h>

#include "text/IdentityChecks.h"

#include <string>
#include <vector>

namespace veltor {
namespace {

struct Case {
    std::string value;
    bool valid;
};

TEST(IdentityChecks, Inn)
{
    const std::vector<Case> cases = {
        {"500100732259", true},
        {"773400211252", true},
        {"500100732258", false},  // second check digit wrong
        {"500100732269", false},  // first check digit wrong
        {"7707083893", false},    // an organisation's ten digits
        {"50010073225", false},
        {"5001007322590", false},
        {"50010073225a", false},
        {" 500100732259", false},
        {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(innValid(c.value), c.valid) << c.value;
}

TEST(IdentityChecks, Snils)
{
    const std::vector<Case> cases = {
        {"112-233-445 95", true},
        {"11223344595", true},
        {"112-233-445-95", true},
        {"087-654-303 00", true},   // sum 202, a multiple of 101: written 00
        {"112-233-445 96", false},
        {"112-233-445 9", false},
        {"112-233-445 955", false},
        {"112/233/445 95", false},
        {"001-001-998 00", true},   // issued before check numbers: any check passes
        {"001-001-999 00", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(snilsValid(c.value), c.valid) << c.value;
}

TEST(IdentityChecks, PassportNumber)
{
    const std::vector<Case> cases = {
        {"45 06 123456", true}, {"4506 123456", false}, {"4506123456", false},
        {"45 06 12345", false}, {"45 06 1234567", false}, {"45 О6 123456", false},
        {"45-06-123456", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(passportNumberValid(c.value), c.valid) << c.value;
}

} // namespace
} // namespace veltor
