#pragma once
#include <filesystem>
#include <string>

// `mkdemo install`: a working copy of the demo that the program can be started on.
namespace veltor::demo {

// Copies demoFolder/database to runFolder/database, the files of demoFolder/program into
// runFolder (the program folder is the executable's folder), demoFolder/templates to
// runFolder/templates when there is one, creates runFolder/output, points the stored paths
// (osnova.dbf FOTO, Pechat FAIL) at runFolder instead of the placeholder root and writes
// runFolder/config.ini. demoFolder is only read.
//
// The database folder appears last, whole: a failed install leaves no runFolder/database, so
// running it again starts afresh. An existing runFolder/database is never overwritten (it holds
// the user's changes), and runFolder must not lie inside demoFolder. Failures raise FileError.
void installDemo(const std::filesystem::path &demoFolder, const std::filesystem::path &runFolder);

// The ten CR LF lines of config.ini (CP1251) for a demo installed in runFolder (absolute):
// the main table, the templates folder and the output folder, both ending with '/' because
// the program joins file names to them directly, the HR clerk's interface, and "11" (preview
// panel shown, positions chosen from a drop-down list).
std::string configIni(const std::filesystem::path &runFolder);

} // namespace veltor::demo
