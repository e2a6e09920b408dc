#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

using namespace veltor;

TEST(StrToInt, AcceptsPlatformSyntax)
{
    const struct {
        const char *text;
        int32_t value;
    } cases[] = {
        {"0", 0}, {"123", 123}, {"007", 7}, {"  42", 42}, {"42 ", 42}, {"\t-17\t", -17},
        {"+5", 5}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
        {"$FF", 255}, {"$ff", 255}, {"0x10", 16}, {"$FFFFFFFF", -1}, {"-$10", -16},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(strToInt(c.text), c.value) << c.text;
        int32_t value = 0;
        EXPECT_EQ(tryStrToInt(c.text, value), true) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(StrToInt, RejectsMalformedAndOverflowingText)
{
    for (const std::string text : {"", " ", "-", "+", "1 2", "1.5", "12а", "--1", "$", "$G", "0x",
                                   "2147483648", "-2147483649", "99999999999999999999", "$100000000"}) {
        const std::string bytes = cp(text);
        int32_t value = 0;
        EXPECT_EQ(tryStrToInt(bytes, value), false) << text;
        EXPECT_THROW(strToInt(bytes), ConversionError) << text;
    }
}

TEST(StrToInt, MessageNamesTheValueInUtf8)
{
    try {
        strToInt(cp("12а"));
        FAIL() << "no exception";
    } catch (const ConversionError &e) {
        EXPECT_EQ(std::string(e.what()), "\"12а\" не является целым числом");
    }
}

TEST(IntToStr, WritesSignedDecimal)
{
    EXPECT_EQ(intToStr(0), "0");
    EXPECT_EQ(intToStr(-2147483648LL), "-2147483648");
    EXPECT_EQ(intToStr(1234567890123LL), "1234567890123");
}

TEST(Dates, TextAlwaysHasTwoDigitDayAndMonth)
{
    EXPECT_EQ(dateToStr(Date{2006, 2, 3}), "03.02.2006");
    EXPECT_EQ(dateToStr(EmptyDate), "01.01.1900");
    EXPECT_EQ(dateToStr(Date{987, 12, 31}), "31.12.0987");
}

TEST(Dates, ParsesShortAndPaddedForms)
{
    const struct {
        const char *text;
        Date date;
    } cases[] = {
        {"3.2.2006", {2006, 2, 3}},      {"03.02.2006", {2006, 2, 3}}, {" 31.12.1999 ", {1999, 12, 31}},
        {"29.02.2008", {2008, 2, 29}},   {"29.2.2000", {2000, 2, 29}}, {"01.01.1900", EmptyDate},
    };
    for (const auto &c : cases)
        EXPECT_EQ(strToDate(c.text), c.date) << c.text;
}

TEST(Dates, RejectsMalformedAndNonExistentDates)
{
    for (const char *text : {"31.02.2006", "29.02.2007", "29.02.1900", "31.04.2006", "32.01.2006",
                             "00.01.2006", "01.00.2006", "01.13.2006", "1.1.06", "1.1.20061", "001.01.2006",
                             "1/1/2006", "1..2006", "1.1.2006x", "", "  ", "1.1.-200"}) {
        Date date;
        EXPECT_EQ(tryStrToDate(text, date), false) << text;
        EXPECT_THROW(strToDate(text), ConversionError) << text;
    }
    try {
        strToDate("31.02.2006");
        FAIL() << "no exception";
    } catch (const ConversionError &e) {
        EXPECT_EQ(std::string(e.what()), "\"31.02.2006\" не является датой");
    }
}

TEST(Dates, LeapYearsHaveTheRightNumberOfDaysAndEveryDayRoundTrips)
{
    const struct {
        int year;
        int days;
    } years[] = {{1900, 365}, {2000, 366}, {2023, 365}, {2024, 366}, {2100, 365}};
    for (const auto &y : years) {
        int valid = 0;
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                const Date date{y.year, month, day};
                Date parsed;
                const bool ok = tryStrToDate(dateToStr(date), parsed);
                EXPECT_EQ(ok, isValidDate(date)) << dateToStr(date);
                if (ok) {
                    EXPECT_EQ(parsed, date);
                    ++valid;
                }
            }
        }
        EXPECT_EQ(valid, y.days) << y.year;
    }
}

TEST(Dates, OrderIsChronological)
{
    EXPECT_LT((Date{2006, 1, 31}), (Date{2006, 2, 1}));
    EXPECT_LT((Date{2005, 12, 31}), (Date{2006, 1, 1}));
    EXPECT_EQ(isValidDate(today()), true);
}

TEST(StrToFloat, AcceptsPointOrComma)
{
    const struct {
        const char *text;
        double value;
    } cases[] = {
        {"1234.56", 1234.56}, {"1234,56", 1234.56}, {" -0,5 ", -0.5}, {"+7", 7}, {"5.", 5},
        {",25", 0.25}, {"1e3", 1000}, {"2,5E-1", 0.25},
    };
    for (const auto &c : cases)
        EXPECT_EQ(strToFloat(c.text), c.value) << c.text;
}

TEST(StrToFloat, RejectsOtherText)
{
    for (const char *text : {"", "x", ".", "-", "1,2,3", "1.2,3", "1e", "1e+", "inf", "nan", "0x10",
                             "1 000", "1e999"})
        EXPECT_THROW(strToFloat(text), ConversionError) << text;
    try {
        strToFloat("x");
        FAIL() << "no exception";
    } catch (const ConversionError &e) {
        EXPECT_EQ(std::string(e.what()), "\"x\" не является числом");
    }
}

TEST(FormatFixed, RoundsTheDecimalFormHalfAwayFromZero)
{
    const struct {
        double value;
        int decimals;
        const char *text;
    } cases[] = {
        {0.125, 2, "0.13"},        // exact binary half
        {1234.565, 2, "1234.57"},  // binary 1234.56499999…, decimal 1234.565
        {1.005, 2, "1.01"},
        {2.675, 2, "2.68"},
        {0.999, 2, "1.00"},
        {99.995, 2, "100.00"},     // the carry adds a digit
        {-1.235, 2, "-1.24"},
        {0.005, 2, "0.01"},
        {0.0049, 2, "0.00"},
        {-0.001, 2, "0.00"},       // no sign on a value that rounds to zero
        {0, 2, "0.00"},
        {1e-20, 2, "0.00"},
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {0.5, 0, "1"},
        {0.4, 0, "0"},
        {1234.5, 2, "1234.50"},
        {1, 3, "1.000"},
        {123456789.125, 2, "123456789.13"},
        {123456789012.0, 0, "123456789012"},
        {1e15, 2, "1000000000000000.00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatFixed(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(formatFixed(std::nan(""), 2), "NAN");
    EXPECT_EQ(formatFixed(-HUGE_VAL, 2), "-INF");
}
