#include <gtest/gtest.h>

#include <string>

#include "text/Cp1251.h"
#include "text/Errors.h"
#include "text/OrfoUnit.h"

using namespace veltor;

namespace {

struct AmountCase {
    double value;
    const char *words; // UTF-8, compared after converting the CP1251 result
};

void PrintTo(const AmountCase &c, std::ostream *os) { *os << c.value; }

std::string inWords(uint8_t kind, double value) { return cp1251ToUtf8(AmountInWords(kind, value)); }

} // namespace

class NumberInWords : public testing::TestWithParam<AmountCase> {};

TEST_P(NumberInWords, Kind1)
{
    EXPECT_EQ(inWords(1, GetParam().value), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberInWords, testing::Values(
    AmountCase{0, "ноль "},
    AmountCase{0.4, "ноль "},
    AmountCase{2.5, "три "},
    AmountCase{10, "десять "},
    // Eleven with the double н of the dictionary; it used to come out with a single н.
    AmountCase{11, "одиннадцать "},
    AmountCase{12, "двенадцать "},
    AmountCase{13, "тринадцать "},
    AmountCase{14, "четырнадцать "},
    AmountCase{16, "шестнадцать "},
    AmountCase{19, "девятнадцать "},
    AmountCase{40, "сорок "},
    AmountCase{58, "пятьдесят восемь "},
    AmountCase{90, "девяносто "},
    AmountCase{111, "сто одиннадцать "},
    AmountCase{204, "двести четыре "},
    AmountCase{999, "девятьсот девяносто девять "},
    AmountCase{1001, "одна тысяча один "},
    AmountCase{2021, "две тысячи двадцать один "},
    AmountCase{3000, "три тысячи "},
    AmountCase{11000, "одиннадцать тысяч "},
    AmountCase{15000, "пятнадцать тысяч "},
    AmountCase{21000, "двадцать одна тысяча "},
    AmountCase{44000, "сорок четыре тысячи "},
    AmountCase{100000, "сто тысяч "},
    AmountCase{1000000, "один миллион "},
    AmountCase{2000005, "два миллиона пять "},
    AmountCase{12000000, "двенадцать миллионов "},
    AmountCase{300000000, "триста миллионов "},
    AmountCase{5000000000.0, "пять миллиардов "},
    AmountCase{13000000000.0, "тринадцать миллиардов "},
    AmountCase{123456789012.0, "сто двадцать три миллиарда четыреста пятьдесят шесть миллионов "
                               "семьсот восемьдесят девять тысяч двенадцать "},
    // A thirteenth digit from the right adds nothing.
    AmountCase{9123456789012.0, "сто двадцать три миллиарда четыреста пятьдесят шесть миллионов "
                                "семьсот восемьдесят девять тысяч двенадцать "},
    AmountCase{1000000000000.0, ""}));

class RublesInWords : public testing::TestWithParam<AmountCase> {};

TEST_P(RublesInWords, Kind0)
{
    EXPECT_EQ(inWords(0, GetParam().value), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Amounts, RublesInWords, testing::Values(
    AmountCase{0.40, "ноль рублей"},
    AmountCase{0.999, "один рубль"},
    AmountCase{1.5, "один рубль"},
    AmountCase{2, "два рубля"},
    AmountCase{5, "пять рублей"},
    AmountCase{11, "одиннадцать рублей"},
    AmountCase{14, "четырнадцать рублей"},
    AmountCase{21, "двадцать один рубль"},
    AmountCase{111, "сто одиннадцать рублей"},
    AmountCase{1000, "одна тысяча рублей"},
    AmountCase{1234.56, "одна тысяча двести тридцать четыре рубля"},
    AmountCase{2000000, "два миллиона рублей"}));

TEST(AmountInWords, Kind2WritesFiguresForPaymentDocuments)
{
    const struct {
        double value;
        const char *text;
    } cases[] = {{1234.56, "1234-56"}, {1234, "1234="}, {0.125, "0-13"}, {0.999, "1="},
                 {1234.565, "1234-57"}, {-5.5, "-5-50"}, {0, "0="}};
    for (const auto &c : cases)
        EXPECT_EQ(AmountInWords(2, c.value), c.text) << c.value;
}

TEST(AmountInWords, NegativeValuesFailAndUnknownKindsGiveNothing)
{
    EXPECT_THROW(AmountInWords(0, -5), ConversionError);
    EXPECT_THROW(AmountInWords(1, -1), ConversionError);
    EXPECT_EQ(AmountInWords(3, 1234.56), "");
    EXPECT_EQ(AmountInWords(255, 1), "");
}

TEST(Initials, BothFormsOfAFullName)
{
    const struct {
        const char *fullName;
        const char *first;
        const char *last;
    } cases[] = {
        {"Иванов Иван Иванович", "И.И. Иванов", "Иванов И.И."},
        {"Петрова Анна-Мария Сергеевна", "А-М.С. Петрова", "Петрова А-М.С."},
        {"Оглы Рустам Али-оглы", "Р.А-о. Оглы", "Оглы Р.А-о."},
        {"Иванов", ".И. ", " .И."},
        {"", ".. ", " .."},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cp1251ToUtf8(InitialsFirst(cp(c.fullName))), c.first) << c.fullName;
        EXPECT_EQ(cp1251ToUtf8(InitialsLast(cp(c.fullName))), c.last) << c.fullName;
    }
}

// A name of two words used to give ".Д. Смит" (the first name taken for a patronymic), and a
// doubled blank ".И. Иванов".
TEST(Initials, NamesWithoutPatronymicOrWithExtraBlanks)
{
    const struct {
        const char *fullName;
        const char *first;
        const char *last;
    } cases[] = {
        {"Смит Джон", "Д. Смит", "Смит Д."},
        {"Смит Джон-Пол", "Д-П. Смит", "Смит Д-П."},
        {"Иванов  Иван Иванович", "И.И. Иванов", "Иванов И.И."},
        {"  Иванов Иван   Иванович  ", "И.И. Иванов", "Иванов И.И."},
        {"Смит Джон ", "Д. Смит", "Смит Д."},
        {"Оглы Рустам Али оглы", "Р.А. Оглы", "Оглы Р.А."},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(cp1251ToUtf8(InitialsFirst(cp(c.fullName))), c.first) << c.fullName;
        EXPECT_EQ(cp1251ToUtf8(InitialsLast(cp(c.fullName))), c.last) << c.fullName;
    }
}

TEST(NthWord, KeepsTheBlankThatFollows)
{
    const std::string name = cp("Иванов Иван Иванович");
    const struct {
        int n;
        const char *word;
    } cases[] = {{1, "Иванов "}, {2, "Иван "}, {3, "Иванович"}, {4, ""}, {0, ""}, {-1, ""}};
    for (const auto &c : cases)
        EXPECT_EQ(cp1251ToUtf8(NthWord(name, c.n)), c.word) << c.n;
}

// A doubled blank used to make the second word of "Иванов  Иван Иванович" a lone blank, so a
// document's first name came out empty.
TEST(NthWord, RunsOfBlanksCountAsOne)
{
    const std::string name = cp("Иванов  Иван   Иванович");
    const struct {
        int n;
        const char *word;
    } cases[] = {{1, "Иванов "}, {2, "Иван "}, {3, "Иванович"}, {4, ""}};
    for (const auto &c : cases)
        EXPECT_EQ(cp1251ToUtf8(NthWord(name, c.n)), c.word) << c.n;
    EXPECT_EQ(cp1251ToUtf8(NthWord(cp(" Смит Джон"), 1)), "Смит ");
    EXPECT_EQ(cp1251ToUtf8(NthWord(cp("Смит  "), 2)), "");
}

TEST(UpperCaseRu, RaisesLatinAndCyrillicButNotYo)
{
    EXPECT_EQ(cp1251ToUtf8(UpperCaseRu(cp("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"))),
              "АБВГДЕёЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ");
    EXPECT_EQ(cp1251ToUtf8(UpperCaseRu(cp("Hello, мир! 12.05 №7 Ё"))), "HELLO, МИР! 12.05 №7 Ё");
}
