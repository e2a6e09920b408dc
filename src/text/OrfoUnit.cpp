#include "text/OrfoUnit.h"

#include <algorithm>
#include <array>

#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor {
namespace {

// Every word piece ends with one blank, so pieces are simply joined. All are CP1251.
struct Words {
    std::array<std::string, 10> stems = {cp("ноль"), cp("оди"), cp("два"), cp("три"), cp("четыр"),
                                         cp("пят"),  cp("шест"), cp("сем"), cp("восем"), cp("девят")};
    std::string ten = cp("десять ");
    // The stem table would give eleven with a single н; the dictionary spelling has two.
    std::string eleven = cp("одиннадцать ");
    std::string twelve = cp("двенадцать ");
    std::string forty = cp("сорок ");
    std::string ninety = cp("девяносто ");
    std::string hundred = cp("сто ");
    std::string twoHundred = cp("двести ");
    std::string threeHundred = cp("триста ");
    std::string fourHundred = cp("четыреста ");
    std::string one = cp("один ");
    std::string four = cp("четыре ");
    std::string oneThousand = cp("одна тысяча ");
    std::string twoThousand = cp("две тысячи ");
    std::string teenEnding = cp("надцать ");
    std::string twentyEnding = cp("дцать ");
    std::string fiftyEnding = cp("ьдесят ");
    std::string hundredsEnding = cp("ьсот ");
    std::string fiveEnding = cp("ь ");
    std::string zero = cp("ноль ");
    std::string thousandsFew = cp("тысячи ");
    std::string thousandsMany = cp("тысяч ");
    std::array<std::string, 3> millions = {cp("миллион "), cp("миллиона "), cp("миллионов ")};
    std::array<std::string, 3> billions = {cp("миллиард "), cp("миллиарда "), cp("миллиардов ")};
    std::string rubleOne = cp("рубль");
    std::string rubleFew = cp("рубля");
    std::string rubleMany = cp("рублей");
};

const Words &words()
{
    static const Words instance;
    return instance;
}

// The state of one amount-to-words conversion: reading the digits from the left, a group word
// is written by the units digit of its group, and only when the group has a non-zero digit.
class Speller {
public:
    std::string integerInWords(std::string_view digits)
    {
        m_teen = m_thousands = m_millions = m_billions = false;
        for (const char c : digits) {
            if (c < '0' || c > '9')
                throw ConversionError("\"" + cp1251ToUtf8(digits) + "\" не является целым числом");
        }
        if (digits.empty() || digits == "0")
            return words().zero;
        std::string result;
        const std::size_t n = digits.size();
        for (std::size_t i = 0; i < n; ++i)
            result += digitWords(digits[i] - '0', static_cast<int>(n - i));
        return result;
    }

private:
    // The words of digit d at position q counted from the right (1 = units). Positions above 12
    // write nothing.
    std::string digitWords(int d, int q)
    {
        const Words &w = words();
        std::string p;
        if (d != 0) {
            if (q == 5 || q == 6)
                m_thousands = true;
            else if (q == 8 || q == 9)
                m_millions = true;
            else if (q == 11 || q == 12)
                m_billions = true;
        }

        // The units digit after a tens digit 1: 10 … 19, whose group word is always genitive plural.
        if (m_teen) {
            if (d == 0)
                p = w.ten;
            else if (d == 1)
                p = w.eleven;
            else if (d == 2)
                p = w.twelve;
            else
                p = w.stems[d] + w.teenEnding;
            if (q == 4)
                p += w.thousandsMany;
            else if (q == 7)
                p += w.millions[2];
            else if (q == 10)
                p += w.billions[2];
            m_teen = m_thousands = m_millions = m_billions = false;
            return p;
        }

        switch (q) {
        case 2: case 5: case 8: case 11:
            if (d == 1)
                m_teen = true;
            else if (d == 2 || d == 3)
                p = w.stems[d] + w.twentyEnding;
            else if (d == 4)
                p = w.forty;
            else if (d >= 5 && d <= 8)
                p = w.stems[d] + w.fiftyEnding;
            else if (d == 9)
                p = w.ninety;
            break;
        case 3: case 6: case 9: case 12:
            if (d == 1)
                p = w.hundred;
            else if (d == 2)
                p = w.twoHundred;
            else if (d == 3)
                p = w.threeHundred;
            else if (d == 4)
                p = w.fourHundred;
            else if (d >= 5)
                p = w.stems[d] + w.hundredsEnding;
            break;
        case 1: case 4: case 7: case 10:
            if (d == 1)
                p = w.one;
            else if (d == 2 || d == 3)
                p = w.stems[d] + " ";
            else if (d == 4)
                p = w.four;
            else if (d >= 5)
                p = w.stems[d] + w.fiveEnding;
            break;
        default:
            break;
        }

        if (q == 4) {
            if (d == 0)
                p = m_thousands ? w.thousandsMany : std::string();
            else if (d == 1)
                p = w.oneThousand;
            else if (d == 2)
                p = w.twoThousand;
            else if (d <= 4)
                p += w.thousandsFew;
            else
                p += w.thousandsMany;
            m_thousands = false;
        } else if (q == 7) {
            p = groupWords(d, p, w.millions, m_millions);
        } else if (q == 10) {
            p = groupWords(d, p, w.billions, m_billions);
        }
        return p;
    }

    static std::string groupWords(int d, const std::string &p, const std::array<std::string, 3> &forms,
                                  bool &groupFlag)
    {
        std::string result;
        if (d == 0)
            result = groupFlag ? forms[2] : std::string();
        else if (d == 1)
            result = p + forms[0];
        else if (d <= 4)
            result = p + forms[1];
        else
            result = p + forms[2];
        groupFlag = false;
        return result;
    }

    bool m_teen = false;
    bool m_thousands = false;
    bool m_millions = false;
    bool m_billions = false;
};

std::string rublesInWords(const std::string &amount)
{
    const std::string rubles = amount.size() >= 3 ? amount.substr(0, amount.size() - 3) : std::string();
    Speller speller;
    std::string result = speller.integerInWords(rubles);
    std::string padded = rubles;
    if (padded.size() < 2)
        padded.insert(0, 2 - padded.size(), '0');
    const char tens = padded[padded.size() - 2];
    const char units = padded.back();
    const Words &w = words();
    if (tens == '1')
        result += w.rubleMany;
    else if (units == '1')
        result += w.rubleOne;
    else if (units >= '2' && units <= '4')
        result += w.rubleFew;
    else
        result += w.rubleMany;
    return result;
}

// The initial of a first name or patronymic; a double name ("Анна-Мария") gives both letters
// joined by its hyphen ("А-М").
std::string initialOf(std::string_view name)
{
    if (name.empty())
        return {};
    std::string initial(1, name.front());
    const std::size_t hyphen = name.find('-');
    if (hyphen != std::string_view::npos)
        initial += name.substr(hyphen, 2);
    return initial;
}

// Splits off the text before the first blank, together with that blank; without a blank the
// part is empty and the text stays whole.
std::string_view takeWord(std::string_view &text)
{
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return {};
    const std::string_view word = text.substr(0, blank);
    text.remove_prefix(blank + 1);
    return word;
}

struct NameParts {
    std::string surname;
    std::string firstInitial;
    std::string patronymicInitial;
};

// The name with blanks trimmed from both ends and every run of blanks made one, so a doubled
// blank typed between two words does not shift the words.
std::string squeezeBlanks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c == ' ' && (result.empty() || result.back() == ' '))
            continue;
        result += c;
    }
    if (!result.empty() && result.back() == ' ')
        result.pop_back();
    return result;
}

NameParts splitName(std::string_view fullName)
{
    NameParts parts;
    const std::string name = squeezeBlanks(fullName);
    std::string_view rest = name;
    const bool hasSurname = rest.find(' ') != std::string_view::npos;
    parts.surname = std::string(takeWord(rest));
    // "Смит Джон": the one word after the surname is the first name, not a patronymic.
    const bool firstNameOnly = hasSurname && rest.find(' ') == std::string_view::npos;
    const std::string_view firstName = firstNameOnly ? rest : takeWord(rest);
    parts.firstInitial = initialOf(firstName);
    parts.patronymicInitial = firstNameOnly ? std::string() : initialOf(rest);
    return parts;
}

// "И.И." for a first name and a patronymic, "Д." for a first name alone.
std::string initials(const NameParts &parts)
{
    if (parts.patronymicInitial.empty() && !parts.firstInitial.empty())
        return parts.firstInitial + ".";
    return parts.firstInitial + "." + parts.patronymicInitial + ".";
}

} // namespace

std::string AmountInWords(uint8_t kind, double value)
{
    switch (kind) {
    case 0:
        return rublesInWords(formatFixed(value, 2));
    case 1: {
        Speller speller;
        return speller.integerInWords(formatFixed(value, 0));
    }
    case 2: {
        const std::string amount = formatFixed(value, 2);
        const std::string whole = amount.substr(0, amount.size() - 3);
        const std::string kopecks = amount.substr(amount.size() - 2);
        return kopecks == "00" ? whole + "=" : whole + "-" + kopecks;
    }
    default:
        return {};
    }
}

std::string InitialsFirst(std::string_view fullName)
{
    const NameParts parts = splitName(fullName);
    return initials(parts) + " " + parts.surname;
}

std::string InitialsLast(std::string_view fullName)
{
    const NameParts parts = splitName(fullName);
    return parts.surname + " " + initials(parts);
}

std::string NthWord(std::string_view text, int32_t n)
{
    std::string_view part;
    for (int32_t i = 0; i < n; ++i) {
        // Runs of blanks count as one: a doubled blank does not make an empty word.
        text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
        const std::size_t blank = text.find(' ');
        const std::size_t length = blank == std::string_view::npos ? text.size() : blank + 1;
        part = text.substr(0, length);
        text.remove_prefix(length);
    }
    return std::string(part);
}

std::string UpperCaseRu(std::string_view text)
{
    std::string result(text);
    for (char &c : result) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || b >= 0xE0)
            c = static_cast<char>(b - 32);
    }
    return result;
}

} // namespace veltor
