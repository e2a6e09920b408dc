#pragma once
#include <string>
#include <vector>

// A large template written the way Word writes RTF: long font, style, list and revision
// tables, every run in its own group with revision ids, placeholders split over several runs,
// and many tables with Word's full row definitions.
namespace veltor::bench {

struct SyntheticTemplate {
    std::string bytes;
    std::vector<std::string> placeholders; // every field placeholder the fill replaces, CP1251
    int tables = 0;
};

// `tables` tables of 4 cells and 2 heading rows, tables 12 and 20 with `rowsPerTable` empty
// rows and the others with 3; `fields` field placeholders of which two thirds occur in the text.
SyntheticTemplate makeSyntheticTemplate(int tables, int rowsPerTable, int fields);

} // namespace veltor::bench
