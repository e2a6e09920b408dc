#pragma once
#include <filesystem>

// Synthetic personnel databases for the benchmarks, in the real layout and written with the
// table engine. The same random start gives the same bytes.
namespace veltor {

// Makes `folder`/database with the 15 personnel tables of `employees` employees and
// `folder`/program with Stolb, Konstanty and Pechat. Per employee: one osnova.dbf, Passport.dbf
// and Dopoln.dbf record (three parameters), three Trud.dbf records (all first records, then all
// second, then all third, as years of changes leave them), two family members, one education
// entry, and a Voen.dbf record for every second employee. 20 departments, 50 positions, the six
// HR order kinds first in TipDok.dbf; the journal and the order detail tables are empty.
void generateDatabase(const std::filesystem::path &folder, int employees, unsigned randomStart);

// The two halves of generateDatabase, for callers that want other folders.
void generatePersonnelTables(const std::filesystem::path &databaseFolder, int employees,
                             unsigned randomStart);
// Stolb with 8 columns (one on Trud.dbf, one the family column S_TIP_N), Konstanty with the
// seven fixed constants and three additional parameters, Pechat empty.
void generateProgramTables(const std::filesystem::path &programFolder);

} // namespace veltor
