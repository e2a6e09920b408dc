#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "records/AppState.h"

// The three combinable filters of the employee list, without widgets. Texts are CP1251.
namespace veltor {

constexpr int FixedFilterFields = 18;
constexpr int MaxFilterFields = 117; // the fixed fields and at most 99 additional ones
constexpr int FilterBoxCount = 3;

// Filter field numbers with a test or value control of their own.
namespace filterfield {
constexpr int Name = 0;
constexpr int Position = 1;
constexpr int Department = 2;
constexpr int Works = 6;
constexpr int Sex = 7;
constexpr int BirthDate = 8;
constexpr int PassportDate = 11;
constexpr int Family = 13;
constexpr int HireDate = 14;
constexpr int ChangeDate = 15;
constexpr int WorkKind = 16;
constexpr int Military = 17;
} // namespace filterfield

// One criterion text per box and field number; kept for the whole run, cleared only when the
// filters are cancelled.
using FilterCriteria = std::array<std::array<std::string, MaxFilterFields>, FilterBoxCount>;

// The items of a field list: the 18 fixed fields, then the name of every additional field
// (ZNACHEN of the Konstanty record holding "DOPOLN" and its number).
std::vector<std::string> filterFieldNames(const AppState &state);

// How a field's value is entered.
enum class FilterValueKind { Text, Position, Department, WorkKind, TwoWay, Date, Family };
FilterValueKind filterValueKind(int field);

// The criterion a date box stores: the operator of the mode (">" for item 0, "=" for 1, "<" for
// 2 and when none is chosen) followed by the date as dd.MM.yyyy.
std::string dateCriterion(int modeItem, std::string_view dateText);
// The criterion of the family check list: "r", "s", "d" for the checked kinds in that order.
std::string familyCriterion(bool parents, bool spouse, bool children);
// The criterion of a two-way choice (item 0 or 1) for fields 6, 7 and 17.
std::string twoWayCriterion(int field, int item);

// The table that holds a field (a fixed field or an additional one).
const LoadedTable &FilterTableOf(const AppState &state, int field);
// The name of the field in that table.
std::string filterFieldName(int field);

// One box as it runs: its chosen field (-1 for none) and its value, which is the box's stored
// criterion except for the position and department fields, whose value is the text of their
// control at the moment the filters run.
struct FilterBox {
    int field = -1;
    std::string value;
};

// The codes of the employees that pass the boxes, in the order the last box met them, each
// once and followed by ","; empty when nothing is found. Boxes 2 and 3 only narrow what the
// boxes before them found. Reads the tables and changes nothing; a date or number that cannot
// be converted raises ConversionError.
std::string runFilters(const AppState &state, const std::array<FilterBox, FilterBoxCount> &boxes);

} // namespace veltor
