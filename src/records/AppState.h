#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/DatabaseLock.h"
#include "records/Storage.h"
#include "records/Versions.h"
#include "storage/DBFUnit.h"

// The open database: what all windows share for the whole run. The main window owns one
// AppState and hands it to the other windows by reference; plain data, so the logic can be
// tested without widgets. Tables change in memory through the tracked changes of DBFUnit.h and
// reach their files only through a commit (records/Commit.h).
namespace veltor {

// One entry of Stolb: a column the employee list can show. Texts are CP1251, trimmed.
struct TColumnSetting {
    std::string Caption;
    int Width = 0;
    std::string FieldName;
    std::string TableNo;
    std::string Shown;
};

struct AppState {
    // Folders. The program folder holds config.ini, Stolb, Konstanty, Pechat, nonFoto.bmp and
    // Help.doc; the database folder is the folder of MainTablePath.
    std::filesystem::path ProgramFolder;

    // Settings from config.ini (CP1251 texts as read).
    std::string MainTablePath;
    std::string TemplatesFolder;
    std::string OutputFolder;
    int InterfaceMode = 0;
    int PositionListMode = 0;
    std::string VidValue; // the [VID] value line as read
    std::vector<TColumnSetting> ColumnSettings;
    int ExtraParamCount = 0;

    // Configuration tables of the program folder.
    LoadedTable Stolb;
    LoadedTable Konstanty;
    LoadedTable Pechat;

    // Personnel tables of the database folder.
    LoadedTable Osnova;
    LoadedTable Otdel;
    LoadedTable Dolzh;
    LoadedTable Semja;
    LoadedTable Trud;
    LoadedTable Passport;
    LoadedTable Obraz;
    LoadedTable Voen;
    LoadedTable Dopoln;
    LoadedTable TipDok;
    bool TablesLoaded = false; // all ten personnel tables were read

    // The shown employees: codes each followed by a comma, "-1" for all in file order.
    std::string CurrentCodeList = "-1";

    // Current employee, set by selecting a row of the list (0 until then).
    int CurMainRec = 0;
    int CurPassportRec = 0;
    int CurTrudRec = 0;
    int CurDopolnRec = 0;

    bool RecordsDeleted = false;
    // The code of a new employee whose records are in the tables but not yet saved (the card
    // of a new employee is open); empty otherwise. No other save may write them half-made.
    std::string PendingNewEmployee;

    // The database is open for reading only (another copy of the program holds it): every
    // commit is refused.
    bool ReadOnly = false;
    // The largest employee code any table of the database has held: a new employee gets the
    // next one, so no code is ever given twice.
    int32_t HighestCode = 0;
    // Versions of tables and employees, bumped by every commit; the notifier announces commits.
    RecordVersions Versions;
    std::shared_ptr<ChangeNotifier> Notifier = std::make_shared<ChangeNotifier>();
    // Where the personnel tables are read from and committed to; the folder of MainTablePath
    // when none is set.
    std::shared_ptr<DatabaseStorage> Storage;
    // A server database given on the command line ("postgresql://…"): chosen over server.ini.
    std::string ServerAddress;
    // The lock of the database folder, held for the whole run (none when opened read-only).
    std::shared_ptr<DatabaseLock> Lock;

    // "Сохранять распечатанные документы?" of the settings panel: not stored, "ДА" at every
    // start. When false, printed documents are saved as "temp.doc".
    bool SavePrintedDocuments = true;

    // Run-time flags owned by other windows, reset at start-up.
    bool DocumentsMenuBuilt = false;
    bool NextOrderNumberKnown = false;
    bool OrderOpenedFromJournal = false;

    // The database folder (folder of MainTablePath) as a native path.
    std::filesystem::path databaseFolder() const;
    // A personnel table file of the database folder, resolved without regard to letter case.
    std::filesystem::path databaseFile(std::string_view name) const;
    // A file of the program folder, resolved without regard to letter case.
    std::filesystem::path programFile(std::string_view name) const;
    // The file a table of the state is read from and committed to; empty for a table that is
    // not a member of the state.
    std::filesystem::path fileOf(const LoadedTable &table) const;
    // The storage of the database: Storage, else the folder of MainTablePath.
    DatabaseStorage &storage() const;
    // The rollback journal of commits, in the database folder (in the program folder when the
    // database is on a server: only the program folder's files are written there).
    std::filesystem::path journalFile() const;
};

} // namespace veltor
