#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "storage/DBFUnit.h"

// What all windows share for the whole run. The main window owns one AppState and hands it to
// the other windows by reference; plain data, so the logic can be tested without widgets.
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
};

} // namespace veltor
