#include "listtools/ListSort.h"

#include "app/EmployeeList.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <unicode/ucol.h>

#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string_view>
#include <vector>

namespace veltor {

namespace {

struct CollatorCloser {
    void operator()(UCollator *c) const { ucol_close(c); }
};

// The comparison is Russian whatever locale the machine runs in, so the order a clerk sees does
// not depend on how the system was installed; secondary strength ignores case only.
const UCollator &russianCollator()
{
    static const std::unique_ptr<UCollator, CollatorCloser> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<UCollator, CollatorCloser> c(ucol_open("ru_RU", &status));
        if (U_FAILURE(status) || !c)
            throw VeltorError("Не удалось подготовить сравнение строк для русского языка");
        ucol_setStrength(c.get(), UCOL_SECONDARY);
        return c;
    }();
    return *collator;
}

using KeyOf = std::function<std::string_view(int row)>;

// Most-significant-byte radix sort of the rows by their sort keys: each key byte is looked at
// about once, so the time grows with the total length of the keys, not with n log n, and the
// long common prefixes of equal names cost no repeated comparisons. Small ranges are finished
// by insertion; keys that end at `depth` are equal and stay as they are.
void radixSort(std::vector<int> &rows, std::vector<int> &scratch, size_t lo, size_t hi, size_t depth,
               const KeyOf &keyOf)
{
    if (hi - lo < 32) {
        for (size_t i = lo + 1; i < hi; ++i) {
            const int row = rows[i];
            const std::string_view key = keyOf(row).substr(std::min(depth, keyOf(row).size()));
            size_t j = i;
            for (; j > lo; --j) {
                const std::string_view other = keyOf(rows[j - 1]);
                if (other.substr(std::min(depth, other.size())) <= key)
                    break;
                rows[j] = rows[j - 1];
            }
            rows[j] = row;
        }
        return;
    }
    std::array<size_t, 258> start{};
    auto bucketOf = [&](int row) {
        const std::string_view key = keyOf(row);
        return depth < key.size() ? static_cast<size_t>(static_cast<uint8_t>(key[depth])) + 1 : 0;
    };
    for (size_t i = lo; i < hi; ++i)
        ++start[bucketOf(rows[i]) + 1];
    start[0] = lo;
    for (size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    std::array<size_t, 258> next = start;
    for (size_t i = lo; i < hi; ++i)
        scratch[next[bucketOf(rows[i])]++] = rows[i];
    std::copy(scratch.begin() + static_cast<std::ptrdiff_t>(lo), scratch.begin() + static_cast<std::ptrdiff_t>(hi),
              rows.begin() + static_cast<std::ptrdiff_t>(lo));
    for (size_t b = 1; b < 257; ++b)
        if (start[b + 1] - start[b] > 1)
            radixSort(rows, scratch, start[b], start[b + 1], depth + 1, keyOf);
}

} // namespace

std::string SortCodeList(const std::string &codes, int dataRows,
                         const std::function<const std::string &(int row)> &cell, SortOrder order)
{
    const std::vector<std::string> entries = splitCodeList(codes);
    const int rows = std::max(0, std::min(dataRows, static_cast<int>(entries.size())));
    const UCollator *collator = &russianCollator();

    // Sort keys of all rows back to back in one buffer; keys compare as bytes.
    std::vector<std::string> rowCodes(rows);
    std::string keyBytes;
    std::vector<size_t> keyStart(static_cast<size_t>(rows) + 1, 0);
    for (int r = 0; r < rows; ++r) {
        rowCodes[r] = intToStr(strToInt(entries[r]));
        const QString key = QString::fromStdString(cp1251ToUtf8(cell(r + 1) + "@" + rowCodes[r]));
        const auto *text = reinterpret_cast<const UChar *>(key.utf16());
        const size_t at = keyBytes.size();
        keyBytes.resize(at + 64);
        int32_t length = ucol_getSortKey(collator, text, static_cast<int32_t>(key.size()),
                                         reinterpret_cast<uint8_t *>(keyBytes.data() + at), 64);
        if (length > 64) {
            keyBytes.resize(at + static_cast<size_t>(length));
            length = ucol_getSortKey(collator, text, static_cast<int32_t>(key.size()),
                                     reinterpret_cast<uint8_t *>(keyBytes.data() + at), length);
        }
        keyBytes.resize(at + static_cast<size_t>(std::max(length, 0)));
        keyStart[r + 1] = keyBytes.size();
    }
    const KeyOf keyOf = [&](int r) {
        return std::string_view(keyBytes.data() + keyStart[r], keyStart[r + 1] - keyStart[r]);
    };

    std::vector<int> sorted(rows), scratch(rows);
    std::iota(sorted.begin(), sorted.end(), 0);
    // Equal keys hold equal codes, so the order of the result does not depend on stability.
    radixSort(sorted, scratch, 0, sorted.size(), 0, keyOf);
    if (order == SortOrder::Descending)
        std::reverse(sorted.begin(), sorted.end());

    std::string result;
    result.reserve(static_cast<size_t>(rows) * 6);
    for (int i : sorted) {
        result += rowCodes[i];
        result += ',';
    }
    return result;
}

} // namespace veltor
