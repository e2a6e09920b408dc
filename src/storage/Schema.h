#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// Table and field names of the personnel database and of the program folder's configuration
// tables, with the field lists the tables are created with. Names are ASCII, so they are the same
// bytes in CP1251 and can be passed to FieldIndex as they are.
namespace veltor::schema {

// Personnel tables of the database folder. The program spells some of them in other letter
// cases; resolveFileName finds them under any case.
inline constexpr std::string_view OsnovaTable = "osnova.dbf";
inline constexpr std::string_view OtdelTable = "otdel.dbf";
inline constexpr std::string_view DolzhTable = "dolzh.dbf";
inline constexpr std::string_view SemjaTable = "semja.dbf";
inline constexpr std::string_view TrudTable = "trud.dbf";
inline constexpr std::string_view PassportTable = "passport.dbf";
inline constexpr std::string_view ObrazTable = "obraz.dbf";
inline constexpr std::string_view VoenTable = "Voen.dbf";
inline constexpr std::string_view DopolnTable = "dopoln.dbf";
inline constexpr std::string_view TipDokTable = "TipDok.dbf";
inline constexpr std::string_view ZhurDokTable = "ZhurDok.dbf";
inline constexpr std::string_view PriemTable = "Priem.dbf";
inline constexpr std::string_view UvolTable = "Uvol.dbf";
inline constexpr std::string_view OtpuskTable = "Otpusk.dbf";
inline constexpr std::string_view KomandTable = "Komand.dbf";

// Configuration tables of the program folder (no extension).
inline constexpr std::string_view StolbTable = "Stolb";
inline constexpr std::string_view KonstantyTable = "Konstanty";
inline constexpr std::string_view PechatTable = "Pechat";

// Fields shared by several tables.
inline constexpr std::string_view KOD = "KOD";         // employee code
inline constexpr std::string_view NOM = "NOM";         // personnel / department / position number
inline constexpr std::string_view DOLZH = "DOLZH";     // position number (name in dolzh.dbf)
inline constexpr std::string_view OTDEL = "OTDEL";     // department number (name in otdel.dbf)
inline constexpr std::string_view OKLAD = "OKLAD";
inline constexpr std::string_view VID_RAB = "VID_RAB"; // "0" main place of work, "1" part-timer
inline constexpr std::string_view ID_DOK = "ID_DOK";   // HR order identity
inline constexpr std::string_view TIP_DOK = "TIP_DOK";
inline constexpr std::string_view KOMENT = "KOMENT";

// osnova.dbf
inline constexpr std::string_view FIO = "FIO";
inline constexpr std::string_view SOKR_FIO = "SOKR_FIO";
inline constexpr std::string_view FIO_KOGO = "FIO_KOGO";
inline constexpr std::string_view UVOLEN = "UVOLEN";
inline constexpr std::string_view INN = "INN";
inline constexpr std::string_view STRAH_SVID = "STRAH_SVID";
inline constexpr std::string_view POL = "POL";
inline constexpr std::string_view OBRAZ = "OBRAZ";
inline constexpr std::string_view IN_JAZ = "IN_JAZ";
inline constexpr std::string_view UROVEN = "UROVEN";
inline constexpr std::string_view VOIN = "VOIN";
inline constexpr std::string_view ST_OB_LET = "ST_OB_LET";
inline constexpr std::string_view ST_OB_MES = "ST_OB_MES";
inline constexpr std::string_view ST_OB_DN = "ST_OB_DN";
inline constexpr std::string_view ST_NP_LET = "ST_NP_LET";
inline constexpr std::string_view ST_NP_MES = "ST_NP_MES";
inline constexpr std::string_view ST_NP_DN = "ST_NP_DN";
inline constexpr std::string_view FOTO = "FOTO";

// Passport.dbf
inline constexpr std::string_view PASSPORT = "PASSPORT";
inline constexpr std::string_view PASS_DATA = "PASS_DATA";
inline constexpr std::string_view PASS_KEM = "PASS_KEM";
inline constexpr std::string_view DATA_ROZHD = "DATA_ROZHD";
inline constexpr std::string_view MESTO_ROZH = "MESTO_ROZH";
inline constexpr std::string_view GRAZHD = "GRAZHD";
inline constexpr std::string_view VIZA_DATA = "VIZA_DATA";
inline constexpr std::string_view ADRESS = "ADRESS";
inline constexpr std::string_view TELEFON = "TELEFON";

// Trud.dbf
inline constexpr std::string_view N_IZM = "N_IZM";
inline constexpr std::string_view D_IZM = "D_IZM";
inline constexpr std::string_view D_POST = "D_POST";
inline constexpr std::string_view D_DOG = "D_DOG";
inline constexpr std::string_view NOM_DOG = "NOM_DOG";
inline constexpr std::string_view D_PRIL = "D_PRIL";
inline constexpr std::string_view NOM_PRIL = "NOM_PRIL";
inline constexpr std::string_view D_UVOL = "D_UVOL";
inline constexpr std::string_view PR_UVOL = "PR_UVOL";

// semja.dbf
inline constexpr std::string_view S_TIP = "S_TIP"; // "r" parent, "s" spouse, "d" child, "x" other
inline constexpr std::string_view S_TIP_N = "S_TIP_N";
inline constexpr std::string_view S_FIO = "S_FIO";
inline constexpr std::string_view S_ROZHD = "S_ROZHD";
inline constexpr std::string_view S_ADRES = "S_ADRES";

// Obraz.dbf
inline constexpr std::string_view UCHEB = "UCHEB";
inline constexpr std::string_view SPEC = "SPEC";
inline constexpr std::string_view KVALIFIK = "KVALIFIK";
inline constexpr std::string_view GOD_OKON = "GOD_OKON";
inline constexpr std::string_view DOK = "DOK";
inline constexpr std::string_view DOK_SER = "DOK_SER";
inline constexpr std::string_view DOK_NOM = "DOK_NOM";

// Voen.dbf
inline constexpr std::string_view KATEGOR = "KATEGOR";
inline constexpr std::string_view ZVANIE = "ZVANIE";
inline constexpr std::string_view SOSTAV = "SOSTAV";
inline constexpr std::string_view VUS = "VUS";
inline constexpr std::string_view GODN = "GODN";
inline constexpr std::string_view VOENKOM = "VOENKOM";

// Dopoln.dbf: KOD and the fields DOPOLN1 ... DOPOLNk, added as 'C' of this length.
inline constexpr std::string_view DOPOLN = "DOPOLN";
inline constexpr int DopolnFieldLength = 50;
std::string dopolnFieldName(int k); // "DOPOLN" followed by k in decimal

// dolzh.dbf
inline constexpr std::string_view DOLZH_KOGO = "DOLZH_KOGO";
inline constexpr std::string_view DOLZH_KOMU = "DOLZH_KOMU";

// TipDok.dbf
inline constexpr std::string_view NAZ_DOK = "NAZ_DOK";
inline constexpr std::string_view TIP_UCH = "TIP_UCH";
inline constexpr std::string_view TipUchHrOrder = "k"; // TIP_UCH of the HR order kinds

// ZhurDok.dbf
inline constexpr std::string_view NOM_DOK = "NOM_DOK";
inline constexpr std::string_view DATA_DOK = "DATA_DOK";
inline constexpr std::string_view OSNOVAN = "OSNOVAN";
inline constexpr std::string_view D_NACH = "D_NACH";
inline constexpr std::string_view D_KONC = "D_KONC";

// Priem.dbf
inline constexpr std::string_view GRAFIK = "GRAFIK";
inline constexpr std::string_view REZHIM = "REZHIM";
inline constexpr std::string_view HARAKT = "HARAKT";

// Uvol.dbf
inline constexpr std::string_view KOM_UDR = "KOM_UDR";
inline constexpr std::string_view DN_KOM = "DN_KOM";
inline constexpr std::string_view DN_POS = "DN_POS";

// Otpusk.dbf
inline constexpr std::string_view VID_OTP = "VID_OTP";
inline constexpr std::string_view OTP_OSN = "OTP_OSN";
inline constexpr std::string_view OTP_DOP = "OTP_DOP";
inline constexpr std::string_view OSN_RAS = "OSN_RAS";
inline constexpr std::string_view DOP_RAS = "DOP_RAS";
inline constexpr std::string_view RAB_OT = "RAB_OT";
inline constexpr std::string_view RAB_DO = "RAB_DO";

// Komand.dbf
inline constexpr std::string_view KUDA = "KUDA";
inline constexpr std::string_view ORGAN = "ORGAN";
inline constexpr std::string_view TSEL = "TSEL";

// Stolb: one record per column of the employee list.
inline constexpr std::string_view STOLB_GRID = "STOLB_GRID";
inline constexpr std::string_view SHIRINA = "SHIRINA";
inline constexpr std::string_view POLE_BAZY = "POLE_BAZY";
inline constexpr std::string_view NOMER_BAZY = "NOMER_BAZY";
inline constexpr std::string_view POKAZ = "POKAZ";

// Konstanty: N, PEREMEN, NAIMEN, ZNACHEN (the settings dialog edits fields 3 and 4 by position).
inline constexpr std::string_view N = "N";
inline constexpr std::string_view PEREMEN = "PEREMEN";
inline constexpr std::string_view NAIMEN = "NAIMEN";
inline constexpr std::string_view ZNACHEN = "ZNACHEN";
inline constexpr int KonstantyFixedCount = 7; // records after these describe DOPOLN parameters
inline constexpr std::string_view DIREKTOR = "DIREKTOR";
inline constexpr std::string_view GL_BUH = "GL_BUH";
inline constexpr std::string_view KADROVIK = "KADROVIK";

// Pechat: a running number, SHABLON, FAIL and a fourth field the program does not use.
inline constexpr std::string_view PECHAT_NOM = "NOM";
inline constexpr std::string_view SHABLON = "SHABLON";
inline constexpr std::string_view FAIL = "FAIL";
inline constexpr std::string_view PECHAT_PRIM = "PRIM";

// Field lists the tables are created with, in the structure-string form CreateTableFile takes.
// Every value is stored as text, so every field is 'C'; dates hold dd.MM.yyyy (10 bytes).
inline constexpr std::string_view OsnovaStructure =
    "KOD%C(10)NOM%C(10)FIO%C(100)SOKR_FIO%C(60)FIO_KOGO%C(100)DOLZH%C(10)OTDEL%C(10)"
    "OKLAD%C(12)UVOLEN%C(1)INN%C(12)STRAH_SVID%C(14)POL%C(1)OBRAZ%C(2)IN_JAZ%C(30)"
    "UROVEN%C(30)VOIN%C(1)ST_OB_LET%C(3)ST_OB_MES%C(3)ST_OB_DN%C(3)ST_NP_LET%C(3)"
    "ST_NP_MES%C(3)ST_NP_DN%C(3)FOTO%C(254)";
inline constexpr std::string_view OtdelStructure = "NOM%C(10)OTDEL%C(100)";
inline constexpr std::string_view DolzhStructure =
    "NOM%C(10)DOLZH%C(100)DOLZH_KOGO%C(100)DOLZH_KOMU%C(100)";
inline constexpr std::string_view SemjaStructure =
    "KOD%C(10)S_TIP%C(1)S_TIP_N%C(30)S_FIO%C(100)S_ROZHD%C(10)S_ADRES%C(150)";
inline constexpr std::string_view TrudStructure =
    "KOD%C(10)N_IZM%C(5)D_IZM%C(10)D_POST%C(10)DOLZH%C(10)OTDEL%C(10)OKLAD%C(12)"
    "VID_RAB%C(2)D_DOG%C(10)NOM_DOG%C(20)D_PRIL%C(10)NOM_PRIL%C(20)D_UVOL%C(10)"
    "PR_UVOL%C(100)ID_DOK%C(10)";
inline constexpr std::string_view PassportStructure =
    "KOD%C(10)PASSPORT%C(20)PASS_DATA%C(10)PASS_KEM%C(150)DATA_ROZHD%C(10)"
    "MESTO_ROZH%C(150)GRAZHD%C(50)VIZA_DATA%C(10)ADRESS%C(200)TELEFON%C(30)";
inline constexpr std::string_view ObrazStructure =
    "KOD%C(10)UCHEB%C(150)SPEC%C(100)KVALIFIK%C(100)GOD_OKON%C(4)DOK%C(2)DOK_SER%C(10)"
    "DOK_NOM%C(20)";
inline constexpr std::string_view VoenStructure =
    "KOD%C(10)KATEGOR%C(10)ZVANIE%C(50)SOSTAV%C(50)VUS%C(20)GODN%C(10)VOENKOM%C(150)";
inline constexpr std::string_view DopolnStructure = "KOD%C(10)";
inline constexpr std::string_view TipDokStructure = "TIP_DOK%C(10)NAZ_DOK%C(100)TIP_UCH%C(1)";
inline constexpr std::string_view ZhurDokStructure =
    "ID_DOK%C(10)TIP_DOK%C(10)NOM_DOK%C(10)DATA_DOK%C(10)KOD%C(10)OSNOVAN%C(200)"
    "D_NACH%C(10)D_KONC%C(10)";
inline constexpr std::string_view PriemStructure =
    "ID_DOK%C(10)KOD%C(10)OTDEL%C(10)DOLZH%C(10)VID_RAB%C(2)OKLAD%C(12)GRAFIK%C(2)"
    "REZHIM%C(2)HARAKT%C(2)KOMENT%C(200)";
inline constexpr std::string_view UvolStructure =
    "ID_DOK%C(10)KOD%C(10)KOM_UDR%C(2)DN_KOM%C(5)DN_POS%C(5)KOMENT%C(200)";
inline constexpr std::string_view OtpuskStructure =
    "ID_DOK%C(10)KOD%C(10)VID_OTP%C(2)OTP_OSN%C(5)OTP_DOP%C(5)OSN_RAS%C(2)DOP_RAS%C(2)"
    "RAB_OT%C(10)RAB_DO%C(10)KOMENT%C(200)";
inline constexpr std::string_view KomandStructure =
    "ID_DOK%C(10)KOD%C(10)KUDA%C(100)ORGAN%C(150)TSEL%C(200)KOMENT%C(200)";
inline constexpr std::string_view StolbStructure =
    "NOM%C(5)STOLB_GRID%C(60)SHIRINA%C(5)POLE_BAZY%C(10)NOMER_BAZY%C(2)POKAZ%C(1)";
inline constexpr std::string_view KonstantyStructure =
    "N%C(5)PEREMEN%C(10)NAIMEN%C(100)ZNACHEN%C(100)";
inline constexpr std::string_view PechatStructure = "NOM%C(5)SHABLON%C(100)FAIL%C(254)PRIM%C(50)";

// A table of the database folder or the program folder with the field list it is created with.
struct TableDefinition {
    std::string_view fileName;
    std::string_view structure;
};

inline constexpr TableDefinition PersonnelTables[] = {
    {OsnovaTable, OsnovaStructure},   {OtdelTable, OtdelStructure},
    {DolzhTable, DolzhStructure},     {SemjaTable, SemjaStructure},
    {TrudTable, TrudStructure},       {PassportTable, PassportStructure},
    {ObrazTable, ObrazStructure},     {VoenTable, VoenStructure},
    {DopolnTable, DopolnStructure},   {TipDokTable, TipDokStructure},
    {ZhurDokTable, ZhurDokStructure}, {PriemTable, PriemStructure},
    {UvolTable, UvolStructure},       {OtpuskTable, OtpuskStructure},
    {KomandTable, KomandStructure},
};

inline constexpr TableDefinition ProgramTables[] = {
    {StolbTable, StolbStructure},
    {KonstantyTable, KonstantyStructure},
    {PechatTable, PechatStructure},
};

// Creates the 15 personnel tables empty in `folder` (created if missing). A table that exists
// under another letter case is overwritten under its existing name.
void createEmptyDatabase(const std::filesystem::path &folder);

// Creates Stolb, Konstanty and Pechat empty in `folder`.
void createProgramTables(const std::filesystem::path &folder);

} // namespace veltor::schema
