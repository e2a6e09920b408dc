// Any bytes as the configuration: config.ini, then Stolb and Konstanty as table files, parts
// separated by a line "#-#". Start-up reads them and the list is built from the columns Stolb
// describes over the demo database; every failure is a ConversionError or a FileError.
#include "app/EmployeeList.h"
#include "records/Startup.h"
#include "storage/DBFUnit.h"
#include "text/Errors.h"

#include <fstream>
#include <string>
#include <unistd.h>

using namespace veltor;

namespace {

AppState loadDemoDatabase()
{
    AppState s;
    s.MainTablePath = VELTOR_DEMO_DATABASE "/osnova.dbf";
    loadPersonnelTables(s);
    return s;
}

// The personnel tables are only read by a run, so one loaded state serves every run; what a run
// may change is put back from the pristine copy first (copying every table would cost more than
// the run itself).
AppState &demoDatabase()
{
    static const AppState pristine = loadDemoDatabase();
    static AppState state = pristine;
    state.MainTablePath = pristine.MainTablePath;
    state.TemplatesFolder = pristine.TemplatesFolder;
    state.OutputFolder = pristine.OutputFolder;
    state.InterfaceMode = pristine.InterfaceMode;
    state.PositionListMode = pristine.PositionListMode;
    state.VidValue = pristine.VidValue;
    state.Stolb = pristine.Stolb;
    state.Konstanty = pristine.Konstanty;
    state.ColumnSettings = pristine.ColumnSettings;
    state.ExtraParamCount = pristine.ExtraParamCount;
    return state;
}

// A scratch file in memory where the system has such a folder: writing to disk on every run
// would slow the search down.
std::string scratchFile(const char *name)
{
    const char *folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/veltor-fuzz-" + name + "-" + std::to_string(getpid());
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

    AppState &state = demoDatabase();
    static const std::string iniFile = scratchFile("config.ini");
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
