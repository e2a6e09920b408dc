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
    // Indexes the first indexedRecords records (all when negative); the records after them are
    // looked at directly on each look-up, so records appended later are found too.
    CodeIndex(const TTableHeader &header, const std::string &data, std::string_view fieldName,
              int32_t indexedRecords = -1);

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
    std::vector<BadValue> badValues() const;

    // The first record whose field holds the integer value (0 when none): the field's text read
    // as a number, so that "015" and "15" are the same code.
    int firstWithValue(int32_t value) const;
    // The largest integer the field holds (0 when none, nor any above 0).
    int32_t highestValue() const;

private:
    using Entry = std::pair<int32_t, int32_t>; // value, record
    using Range = std::pair<const Entry *, const Entry *>;
    // The records holding the value of a plain decimal text, in record order; viaSelect when the
    // text must go to SelectEqualIdx instead.
    Range candidates(std::string_view text, bool &viaSelect) const;
    // Whether the record's field contains the text; `canonical` when the text is an integer
    // written as "%d" writes it, which a field holding the same value that way equals.
    bool matches(int32_t record, std::string_view text, bool canonical) const;
    // The records after the indexed ones, each with its trimmed field text.
    template <typename Visit> void forEachLater(Visit visit) const;
    // Appends the later records holding the value whose text contains text.
    void addLater(int32_t value, std::string_view text, std::vector<int32_t> &result) const;

    const TTableHeader *m_header = nullptr;
    const std::string *m_data = nullptr;
    int m_field = -1;
    int32_t m_indexed = 0;                // records 1..m_indexed are in the arrays below
    std::vector<Entry> m_entries;         // sorted by value, then record
    std::vector<BadValue> m_notIntegers;  // non-empty fields that are not integers
    std::vector<uint8_t> m_canonical;     // by record: the field is its value written as "%d"
};

// The index by KOD of a table, kept while the table's generation stays the same: looking up an
// employee's records costs a search, not a pass over the table.
const CodeIndex &indexByCode(const LoadedTable &table);
// The same for another field holding integers (ID_DOK).
const CodeIndex &indexByField(const LoadedTable &table, std::string_view fieldName);
// Builds the indexes by KOD of these tables side by side (start-up has a table per core).
void prepareIndexesByCode(const std::vector<const LoadedTable *> &tables);

} // namespace veltor
