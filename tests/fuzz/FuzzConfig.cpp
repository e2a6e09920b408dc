// Any bytes as the configuration: config.ini, then Stolb and Konstanty as table files, parts
// separated by a line "#-#". Start-up reads them and the list is built from the columns Stolb
// describes over the demo database; every failure is a ConversionError or a FileError.
#include "app/EmployeeList.h"
#include "app/Startup.h"
#include "storage/DBFUnit.h"
#include "text/Errors.h"

#include <fstream>
#include <string>
#include <unistd.h>

using namespace veltor;

namespace {

const AppState &demoDatabase()
{
    static const AppState state = [] {
        AppState s;
        s.MainTablePath = VELTOR_DEMO_DATABASE "/osnova.dbf";
        loadPersonnelTables(s);
        return s;
    }();
    return state;
}

std::string_view nextPart(std::string_view &rest)
{
    static constexpr std::string_view separator = "\n#-#\n";
    const size_t at = rest.find(separator);
    std::string_view part = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + separator.size());
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    std::string_view rest(reinterpret_cast<const char *>(bytes), size);
    const std::string_view ini = nextPart(rest);
    const std::string_view stolb = nextPart(rest);
    const std::string_view konstanty = nextPart(rest);

    AppState state = demoDatabase();
    static const std::string iniFile = "/tmp/veltor-fuzz-config-" + std::to_string(getpid()) + ".ini";
    {
        std::ofstream(iniFile, std::ios::binary | std::ios::trunc).write(ini.data(), ini.size());
    }
    try {
        readConfigIni(iniFile, state);
    } catch (const ConversionError &) {
    }
    try {
        ReadTableFromBytes(stolb, "Stolb", state.Stolb.Header, state.Stolb.Data);
        state.Stolb.Loaded = true;
        state.ColumnSettings = columnSettingsFromStolb(state.Stolb);
    } catch (const VeltorError &) {
        state.ColumnSettings.clear();
    }
    try {
        ReadTableFromBytes(konstanty, "Konstanty", state.Konstanty.Header, state.Konstanty.Data);
        state.Konstanty.Loaded = true;
        state.ExtraParamCount = extraParamCount(state.Konstanty);
    } catch (const FileError &) {
    }
    try {
        (void)buildEmployeeList(state, effectiveCodeList(state, "-1"));
    } catch (const ConversionError &) {
    }
    return 0;
}
