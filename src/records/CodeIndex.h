#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/DBFUnit.h"

// The records of a table by the integer in one field (normally KOD), built once so that a list
// of thousands of employees is filled in linear time. find() gives exactly what SelectEqualIdx
// on that field would give, conversion errors included; texts it cannot answer from the index
// (not a plain decimal integer, or contained in a field that is not an integer) are handed to
// SelectEqualIdx itself.
namespace veltor {

class CodeIndex {
public:
    CodeIndex() = default;
    CodeIndex(const TTableHeader &header, const std::string &data, std::string_view fieldName);

    // Record numbers, in record order, whose field equals the text as SelectEqual decides.
    std::vector<int32_t> find(std::string_view text) const;
    int first(std::string_view text) const; // 0 when none
    int last(std::string_view text) const;  // 0 when none

    // As find/first/last, but a field or a text that is not an integer never raises: such a
    // field equals nothing (it is listed by badValues) and such a text finds nothing. For
    // showing records that must never fail on one bad stored value.
    std::vector<int32_t> findIntegers(std::string_view text) const;
    int firstInteger(std::string_view text) const; // 0 when none
    int lastInteger(std::string_view text) const;  // 0 when none

    // Non-empty fields that are not integers, with their record numbers, in record order.
    struct BadValue {
        int32_t record = 0;
        std::string text;
    };
    const std::vector<BadValue> &badValues() const { return m_notIntegers; }

private:
    using Entry = std::pair<int32_t, int32_t>; // value, record
    using Range = std::pair<const Entry *, const Entry *>;
    // The records holding the value of a plain decimal text, in record order; viaSelect when the
    // text must go to SelectEqualIdx instead.
    Range candidates(std::string_view text, bool &viaSelect) const;
    bool matches(int32_t record, std::string_view text) const;

    const TTableHeader *m_header = nullptr;
    const std::string *m_data = nullptr;
    int m_field = -1;
    std::vector<Entry> m_entries;                     // sorted by value, then record
    std::vector<std::string> m_text; // trimmed field text by record number
    std::vector<BadValue> m_notIntegers;             // non-empty fields that are not integers
};

// The index by KOD of a table, kept while the table's generation stays the same: looking up an
// employee's records costs a search, not a pass over the table.
const CodeIndex &indexByCode(const LoadedTable &table);

} // namespace veltor
