#include "records/PgStorage.h"

#include "records/AppState.h"
#include "records/Commit.h"
#include "records/Startup.h"
#include "storage/Schema.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

#include <QSocketNotifier>

#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <exception>
#include <cstring>
#include <utility>

namespace veltor {
namespace {

constexpr char EndOfData = 0x1A;
constexpr const char *Channel = "veltor_commits";

// Owns one result of libpq.
class Result {
public:
    explicit Result(PGresult *r) : m_r(r) {}
    Result(Result &&other) noexcept : m_r(std::exchange(other.m_r, nullptr)) {}
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;
    ~Result() { PQclear(m_r); }
    PGresult *get() const { return m_r; }
    int rows() const { return PQntuples(m_r); }
    std::string text(int row, int column) const
    {
        return std::string(PQgetvalue(m_r, row, column), static_cast<size_t>(PQgetlength(m_r, row, column)));
    }
    int64_t number(int row, int column) const { return std::stoll(text(row, column)); }
    int64_t affected() const
    {
        const char *n = PQcmdTuples(m_r);
        return *n ? std::stoll(n) : 0;
    }

private:
    PGresult *m_r;
};

std::string serverReason(PGconn *conn)
{
    std::string reason = PQerrorMessage(conn);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' '))
        reason.pop_back();
    return reason;
}

Result run(PGconn *conn, const std::string &sql, const std::vector<std::string> &params = {})
{
    std::vector<const char *> values;
    std::vector<int> lengths;
    for (const std::string &p : params) {
        values.push_back(p.c_str());
        lengths.push_back(static_cast<int>(p.size()));
    }
    // Without parameters several statements may go at once (the catalog's creation).
    Result r(params.empty() ? PQexec(conn, sql.c_str())
                            : PQexecParams(conn, sql.c_str(), static_cast<int>(params.size()), nullptr,
                                           values.data(), lengths.data(), nullptr, 0));
    const ExecStatusType status = PQresultStatus(r.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_COPY_IN)
        throw FileError("Ошибка сервера базы данных: " + serverReason(conn));
    return r;
}

std::string quoteIdentifier(std::string_view name)
{
    std::string q = "\"";
    for (const char c : name)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string lowerAscii(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// "trud.dbf" -> "trud": the SQL table of a table key.
std::string sqlTable(const std::string &key)
{
    const std::string base = key.size() > 4 && key.ends_with(".dbf") ? key.substr(0, key.size() - 4) : key;
    return quoteIdentifier(base);
}

std::string keyOf(std::string_view fileName)
{
    return lowerAscii(std::string(fileName));
}

// The stored name of a field up to its first zero byte, trimmed.
std::string fieldName(const std::string &raw)
{
    std::string name = raw.substr(0, raw.find('\0'));
    while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ')
        name.pop_back();
    return name;
}

std::string columnOf(const std::string &cp1251Name)
{
    return quoteIdentifier(lowerAscii(cp1251ToUtf8(cp1251Name)));
}

std::string joinCodes(const std::set<int32_t> &codes)
{
    std::string text;
    for (const int32_t c : codes)
        text += (text.empty() ? "" : ",") + std::to_string(c);
    return text;
}

std::string joinNames(const std::set<std::string> &names)
{
    std::string text;
    for (const std::string &n : names)
        text += (text.empty() ? "" : ",") + n;
    return text;
}

std::vector<std::string> split(const std::string &text)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at < text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        parts.push_back(text.substr(at, comma - at));
        at = comma + 1;
    }
    return parts;
}

std::string intArray(const std::set<int32_t> &codes)
{
    return "{" + joinCodes(codes) + "}";
}

// COPY's text form of one value: backslash, tab and line ends escaped.
void appendCopyValue(std::string &line, std::string_view value)
{
    for (const char c : value) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
}

// The CP1251 byte of each character of two UTF-8 bytes (U+0080 to U+07FF, Cyrillic among them),
// '?' where CP1251 has none: what utf8ToCp1251 gives for it.
const std::array<char, 0x800> &twoByteCharacters()
{
    static const std::array<char, 0x800> table = [] {
        std::array<char, 0x800> t{};
        for (char32_t c = 0; c < 0x800; ++c) {
            const int b = cp1251ByteOf(c);
            t[c] = b < 0 ? '?' : static_cast<char>(b);
        }
        return t;
    }();
    return table;
}

// Writes a UTF-8 value into a field of `width` bytes as CP1251, cut at the width, as
// utf8ToCp1251(value).substr(0, width) would; the rest of the field is left as it is.
void putCp1251(char *field, size_t width, std::string_view value)
{
    const std::array<char, 0x800> &twoBytes = twoByteCharacters();
    const auto *p = reinterpret_cast<const unsigned char *>(value.data());
    const auto *end = p + value.size();
    size_t n = 0;
    while (p < end && n < width) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            field[n++] = static_cast<char>(lead);
            ++p;
        } else if (lead >= 0xC2 && lead <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            field[n++] = twoBytes[static_cast<size_t>(((lead & 0x1F) << 6) | (p[1] & 0x3F))];
            p += 2;
        } else {
            // Longer or ill-formed sequences are rare: the rest goes through the general conversion.
            const std::string rest = utf8ToCp1251(std::string_view(reinterpret_cast<const char *>(p),
                                                                   static_cast<size_t>(end - p)));
            std::memcpy(field + n, rest.data(), std::min(rest.size(), width - n));
            return;
        }
    }
}

// The records of a table from COPY's text form of (veltor_pos, veltor_ver, fields…): a line per
// row, values parted by tabs, a backslash before an escaped byte ("\t", "\n", "\\", octal…).
// The server spends less on this form than on the binary one, which builds a buffer per value.
class CopyRecords {
public:
    CopyRecords(const std::string &key, std::vector<size_t> widths, size_t expectedBytes)
        : m_key(key), m_widths(std::move(widths))
    {
        for (const size_t w : m_widths)
            m_recordLength += w;
        data.reserve(expectedBytes);
    }

    std::string data;
    std::vector<int64_t> keys;
    std::vector<int64_t> versions;

    // libpq hands a row at a time; a message ending inside a row is still taken, by keeping its
    // rest until the next one.
    void take(std::string_view message)
    {
        if (m_pending.empty()) {
            const size_t used = lines(message);
            m_pending.assign(message.substr(used));
        } else {
            m_pending.append(message);
            const size_t used = lines(m_pending);
            m_pending.erase(0, used);
        }
    }

    void finish() const
    {
        if (!m_pending.empty())
            damaged();
    }

private:
    [[noreturn]] void damaged() const
    {
        throw FileError("Таблица «" + m_key + "» пришла с сервера поврежденной. Прочтите базу данных еще раз.");
    }

    size_t lines(std::string_view bytes)
    {
        size_t at = 0;
        for (size_t end; (end = bytes.find('\n', at)) != std::string_view::npos; at = end + 1)
            row(bytes.substr(at, end - at));
        return at;
    }

    static int64_t number(std::string_view text, bool &ok)
    {
        int64_t n = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
        ok = ok && error == std::errc() && end == text.data() + text.size();
        return n;
    }

    // The value with its escapes taken out.
    std::string_view unescaped(std::string_view value)
    {
        if (value.find('\\') == std::string_view::npos)
            return value;
        m_value.clear();
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] != '\\' || i + 1 == value.size()) {
                m_value += value[i];
                continue;
            }
            const char c = value[++i];
            switch (c) {
            case 'b': m_value += '\b'; break;
            case 'f': m_value += '\f'; break;
            case 'n': m_value += '\n'; break;
            case 'r': m_value += '\r'; break;
            case 't': m_value += '\t'; break;
            case 'v': m_value += '\v'; break;
            case 'N':
                if (value.size() == 2)
                    damaged(); // no value is NULL
                m_value += c;
                break;
            default:
                if (c >= '0' && c <= '7') {
                    int code = c - '0';
                    for (int k = 0; k < 2 && i + 1 < value.size() && value[i + 1] >= '0' && value[i + 1] <= '7'; ++k)
                        code = code * 8 + (value[++i] - '0');
                    m_value += static_cast<char>(code);
                } else if (c == 'x' && i + 1 < value.size() && std::isxdigit(static_cast<unsigned char>(value[i + 1]))) {
                    int code = 0;
                    for (int k = 0; k < 2 && i + 1 < value.size() && std::isxdigit(static_cast<unsigned char>(value[i + 1])); ++k) {
                        const char h = value[++i];
                        code = code * 16 + (h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10);
                    }
                    m_value += static_cast<char>(code);
                } else {
                    m_value += c;
                }
            }
        }
        return m_value;
    }

    void row(std::string_view line)
    {
        // The row is split whole before anything of it is kept.
        m_values.clear();
        size_t at = 0;
        for (size_t tab; (tab = line.find('\t', at)) != std::string_view::npos; at = tab + 1)
            m_values.push_back(line.substr(at, tab - at));
        m_values.push_back(line.substr(at));
        if (m_values.size() != m_widths.size() + 2)
            damaged();
        bool ok = true;
        const int64_t place = number(m_values[0], ok);
        const int64_t version = number(m_values[1], ok);
        if (!ok)
            damaged();
        keys.push_back(place);
        versions.push_back(version);
        const size_t start = data.size();
        data.append(m_recordLength, ' ');
        size_t offset = start + 1;
        for (size_t i = 0; i < m_widths.size(); ++i) {
            putCp1251(data.data() + offset, m_widths[i], unescaped(m_values[i + 2]));
            offset += m_widths[i];
        }
    }

    std::string m_key;
    std::vector<size_t> m_widths;
    size_t m_recordLength = 1;
    std::string m_pending;
    std::vector<std::string_view> m_values; // of the row being read
    std::string m_value;                    // an escaped value taken out
};

// Runs a COPY … TO STDOUT and hands each message of data to `take`. Whatever happens, the
// connection is left ready for the next command.
void copyOut(PGconn *conn, const std::string &sql, const std::function<void(std::string_view)> &take)
{
    {
        const Result started(PQexec(conn, sql.c_str()));
        if (PQresultStatus(started.get()) != PGRES_COPY_OUT)
            throw FileError("Ошибка сервера базы данных: " + serverReason(conn));
    }
    std::exception_ptr failure;
    int got = 0;
    for (;;) {
        char *buffer = nullptr;
        got = PQgetCopyData(conn, &buffer, 0);
        if (got < 0)
            break;
        const std::unique_ptr<char, decltype(&PQfreemem)> owned(buffer, &PQfreemem);
        if (failure)
            continue; // the rest is read and dropped, so the connection stays usable
        try {
            take(std::string_view(buffer, static_cast<size_t>(got)));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    std::string reason = got == -2 ? serverReason(conn) : std::string();
    while (PGresult *r = PQgetResult(conn)) {
        const Result done(r);
        if (PQresultStatus(r) != PGRES_COMMAND_OK && reason.empty())
            reason = serverReason(conn);
    }
    if (failure)
        std::rethrow_exception(failure);
    if (!reason.empty())
        throw FileError("Ошибка сервера базы данных: " + reason);
}

} // namespace

std::string connectionString(const ServerSettings &settings)
{
    if (!settings.uri.empty())
        return settings.uri;
    std::string info;
    const auto add = [&](const char *key, const std::string &value) {
        if (value.empty())
            return;
        std::string quoted = "'";
        for (const char c : value)
            quoted += c == '\'' || c == '\\' ? std::string("\\") + c : std::string(1, c);
        info += (info.empty() ? "" : " ") + std::string(key) + "=" + quoted + "'";
    };
    add("host", settings.host);
    add("port", settings.port);
    add("dbname", settings.database);
    add("user", settings.user);
    return info;
}

std::string PgStorage::connectionPassword() const
{
    const char *password = m_conn ? PQpass(m_conn) : nullptr;
    return password ? password : "";
}

PgStorage::PgStorage(const ServerSettings &settings, const PasswordPrompt &askPassword)
    : m_conninfo(connectionString(settings))
{
    // Texts travel in UTF-8 whatever the client's locale says.
    std::string info = m_conninfo + (m_conninfo.empty() ? "" : " ") + "client_encoding=UTF8 application_name=veltor";
    if (m_conninfo.starts_with("postgres"))
        info = m_conninfo + (m_conninfo.find('?') == std::string::npos ? "?" : "&") +
               "client_encoding=UTF8&application_name=veltor";
    m_fullConninfo = info;
    m_conn = PQconnectdb(info.c_str());
    if (PQstatus(m_conn) != CONNECTION_OK && PQconnectionNeedsPassword(m_conn) && askPassword) {
        const std::string what = std::string(PQuser(m_conn)) + "@" + PQhost(m_conn) + "/" + PQdb(m_conn);
        if (const std::optional<std::string> password = askPassword(what)) {
            PQfinish(m_conn);
            const char *keys[] = {"dbname", "password", nullptr};
            const char *values[] = {info.c_str(), password->c_str(), nullptr};
            m_conn = PQconnectdbParams(keys, values, 1);
        }
    }
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const std::string reason = serverReason(m_conn);
        PQfinish(m_conn);
        m_conn = nullptr;
        throw FileError("Не удается подключиться к серверу базы данных: " + reason);
    }
    run(m_conn, "SET client_min_messages TO warning");
    run(m_conn, "CREATE SEQUENCE IF NOT EXISTS veltor_rows;"
                "CREATE SEQUENCE IF NOT EXISTS veltor_commits;"
                "CREATE SEQUENCE IF NOT EXISTS veltor_employee_codes;"
                "CREATE TABLE IF NOT EXISTS veltor_tables (key text PRIMARY KEY, file_name text NOT NULL,"
                " position integer NOT NULL, end_mark boolean NOT NULL DEFAULT true);"
                "CREATE TABLE IF NOT EXISTS veltor_fields (key text NOT NULL, field_no integer NOT NULL,"
                " name text NOT NULL, type text NOT NULL, length integer NOT NULL, PRIMARY KEY (key, field_no));"
                "CREATE TABLE IF NOT EXISTS veltor_codes (kod integer PRIMARY KEY, ver bigint NOT NULL);"
                "CREATE TABLE IF NOT EXISTS veltor_log (ver bigint PRIMARY KEY, description text NOT NULL,"
                " tables text NOT NULL, codes text NOT NULL, at timestamptz NOT NULL DEFAULT now())");
    loadCatalog();
}

PgStorage::~PgStorage()
{
    delete m_notifier;
    for (PGconn *c : m_idleReaders)
        PQfinish(c);
    if (m_conn)
        PQfinish(m_conn);
}

void PgStorage::loadCatalog()
{
    m_tables.clear();
    const Result tables(run(m_conn, "SELECT key, file_name, end_mark FROM veltor_tables ORDER BY position"));
    for (int i = 0; i < tables.rows(); ++i) {
        TableInfo &t = m_tables[tables.text(i, 0)];
        t.fileName = tables.text(i, 1);
        t.endMark = tables.text(i, 2) == "t";
    }
    const Result fields(run(m_conn, "SELECT key, name, type, length FROM veltor_fields ORDER BY key, field_no"));
    for (int i = 0; i < fields.rows(); ++i) {
        const auto it = m_tables.find(fields.text(i, 0));
        if (it == m_tables.end())
            continue;
        const std::string type = fields.text(i, 2);
        it->second.fields.push_back({utf8ToCp1251(fields.text(i, 1)), type.empty() ? 'C' : type[0],
                                     static_cast<int>(fields.number(i, 3))});
    }
}

const PgStorage::TableInfo *PgStorage::info(const std::string &key) const
{
    const auto it = m_tables.find(key);
    return it == m_tables.end() ? nullptr : &it->second;
}

std::string PgStorage::describe(const AppState &) const
{
    return "сервер PostgreSQL " + std::string(PQuser(m_conn)) + "@" + PQhost(m_conn) + ":" + PQport(m_conn) + "/" +
           PQdb(m_conn);
}

OpeningReport PgStorage::prepare(const AppState &state)
{
    OpeningReport report;
    // Only the program folder's files are committed through a journal here.
    if (!state.ReadOnly)
        if (const std::optional<std::string> undone = rollBackJournal(state.journalFile()))
            report.undoneSave = *undone;
    if (m_versionsRead) {
        // Tables are read again (showing all employees): what others committed meanwhile is
        // announced once this reading is over.
        scheduleCatchUp();
    } else {
        // Listening starts before the versions are read, so no commit falls between the two.
        // Read in the snapshot the tables are read in, they say which commits the tables hold.
        listen();
        m_versionsRead = true;
        const Result seen(run(m_conn, "SELECT coalesce(max(ver), 0) FROM veltor_log"));
        m_lastSeen = seen.number(0, 0);
        const Result codes(run(m_conn, "SELECT kod, ver FROM veltor_codes"));
        m_codeVersions.clear();
        for (int i = 0; i < codes.rows(); ++i)
            m_codeVersions[static_cast<int32_t>(codes.number(i, 0))] = codes.number(i, 1);
    }
    loadCatalog();
    return report;
}

bool PgStorage::hasTable(const AppState &, std::string_view name)
{
    return info(keyOf(name)) != nullptr;
}

TTableHeader PgStorage::headerOf(const std::vector<Field> &fields)
{
    TTableHeader header;
    int offset = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        const Field &f = fields[i];
        const int n = static_cast<int>(i) + 1;
        header.FieldNames[n] = f.name + std::string(11 - std::min<size_t>(11, f.name.size()), '\0');
        header.FieldTypes[n] = f.type;
        header.FieldLengths[n] = static_cast<uint8_t>(f.length);
        header.FieldOffsets[n] = offset;
        offset += f.length;
    }
    header.HeaderLength = 32 * static_cast<int>(fields.size()) + 33;
    header.RecordLength = offset;
    return header;
}

void PgStorage::readTable(const AppState &, std::string_view name, LoadedTable &table)
{
    table.Loaded = false;
    table.Changes = TableChanges{};
    const std::string key = keyOf(name);
    const TableInfo *t = info(key);
    if (t == nullptr)
        throw FileError("В базе данных на сервере нет таблицы «" + std::string(name) + "»");
    std::string columns;
    for (const Field &f : t->fields)
        columns += ", " + columnOf(f.name);
    readRows(key, t->fields, "SELECT veltor_pos, veltor_ver" + columns + " FROM " + sqlTable(key) + " ORDER BY veltor_pos",
             table);
}

int32_t PgStorage::highestEmployeeCode(const AppState &, std::string_view name)
{
    const std::string key = keyOf(name);
    const TableInfo *t = info(key);
    if (t == nullptr)
        throw FileError("В базе данных на сервере нет таблицы «" + std::string(name) + "»");
    // The field the table read whole would be searched by.
    const int kod = FieldIndex(headerOf(t->fields), schema::KOD);
    if (kod < 1)
        return 0;
    const Field &field = t->fields[static_cast<size_t>(kod - 1)];
    const std::string column = columnOf(field.name);
    const std::string table = sqlTable(key);
    // One to nine digits are a code whatever they say, and the server takes them as one (a
    // pattern match costs it several times more than this); any other value (blanks, a sign,
    // hexadecimal, letters, ten digits that may overflow) is read and taken as reading the table
    // whole takes it, each different value once.
    const std::string plain = "(" + column + " <> '' AND length(" + column + ") <= 9 AND translate(" + column +
                              ", '0123456789', '') = '')";
    LoadedTable codes;
    readRows(key, {field},
             "SELECT 0, 0, coalesce(max(" + column + "::integer)::text, '') FROM " + table + " WHERE " + plain +
                 " UNION ALL SELECT 0, 0, v FROM (SELECT DISTINCT " + column + " AS v FROM " + table +
                 " WHERE NOT (" + plain + ")) AS others",
             codes);
    return highestCode(codes);
}

void PgStorage::readRows(const std::string &key, const std::vector<Field> &fields, const std::string &select,
                         LoadedTable &table)
{
    TTableHeader header = headerOf(fields);
    // One COPY: rows stream in as the server reads them and are decoded straight into the
    // records, without a result of strings held in between.
    std::vector<size_t> lengths;
    lengths.reserve(fields.size());
    for (const Field &f : fields)
        lengths.push_back(static_cast<size_t>(f.length));
    // A table read again is about as big as it was.
    CopyRecords records(key, std::move(lengths), table.Data.size());
    PGconn *const conn = takeReader();
    struct GiveBack {
        PgStorage *storage;
        PGconn *conn;
        ~GiveBack() { storage->giveBackReader(conn); }
    } giveBack{this, conn};
    copyOut(conn, "COPY (" + select + ") TO STDOUT", [&](std::string_view message) { records.take(message); });
    records.finish();
    header.RecordCount = static_cast<int32_t>(records.keys.size());
    records.data += EndOfData;
    table.RowKeys = std::move(records.keys);
    table.RowVersions = std::move(records.versions);
    table.Header = header;
    table.Data = std::move(records.data);
    table.BytesPastRecords = 0;
    table.Stamp = FileStamp{};
    table.Loaded = true;
    NewGeneration(table);
    AcceptChanges(table);
}

PGconn *PgStorage::takeReader()
{
    PGconn *c = freeReader();
    // In a reading, a connection sees what the main connection's snapshot sees. Set up once per
    // reading: a connection that read a table of it is still in its transaction.
    if (c != m_conn && !m_snapshot.empty() && PQtransactionStatus(c) == PQTRANS_IDLE) {
        try {
            run(c, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
            run(c, "SET TRANSACTION SNAPSHOT '" + m_snapshot + "'");
        } catch (...) {
            giveBackReader(c);
            throw;
        }
    }
    return c;
}

PGconn *PgStorage::freeReader()
{
    // A server on a small machine gains nothing from more.
    constexpr int MostReaders = 3;
    std::unique_lock<std::mutex> lock(m_readersLock);
    for (;;) {
        if (!m_mainReading) {
            m_mainReading = true;
            return m_conn;
        }
        if (!m_idleReaders.empty()) {
            PGconn *c = m_idleReaders.back();
            m_idleReaders.pop_back();
            return c;
        }
        if (m_readers < MostReaders)
            break;
        m_readerFree.wait(lock);
    }
    ++m_readers;
    lock.unlock();
    // The password the main connection was made with, whether asked or from ~/.pgpass.
    const std::string password = connectionPassword();
    const char *keys[] = {"dbname", password.empty() ? nullptr : "password", nullptr};
    const char *values[] = {m_fullConninfo.c_str(), password.c_str(), nullptr};
    PGconn *c = PQconnectdbParams(keys, values, 1);
    if (PQstatus(c) == CONNECTION_OK)
        return c;
    const std::string reason = serverReason(c);
    PQfinish(c);
    lock.lock();
    --m_readers;
    m_readerFree.notify_one();
    throw FileError("Не удается подключиться к серверу базы данных: " + reason);
}

void PgStorage::giveBackReader(PGconn *conn)
{
    const std::lock_guard<std::mutex> lock(m_readersLock);
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    if (conn == m_conn) {
        m_mainReading = false;
    } else if (PQstatus(conn) == CONNECTION_OK &&
               (status == PQTRANS_IDLE || (status == PQTRANS_INTRANS && !m_snapshot.empty()))) {
        m_idleReaders.push_back(conn);
    } else {
        PQfinish(conn);
        --m_readers;
    }
    m_readerFree.notify_one();
}

void PgStorage::listen()
{
    if (m_listening)
        return;
    // Not inside a transaction: there listening would start only at its end.
    run(m_conn, std::string("LISTEN ") + Channel);
    m_listening = true;
}

void PgStorage::beginReading()
{
    if (m_readingDepth++ > 0)
        return;
    // Inside a transaction of its own (a migration), the connection reads what that one sees.
    if (PQtransactionStatus(m_conn) != PQTRANS_IDLE)
        return;
    try {
        listen();
        run(m_conn, "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
        m_snapshot = Result(run(m_conn, "SELECT pg_export_snapshot()")).text(0, 0);
    } catch (...) {
        Result(PQexec(m_conn, "ROLLBACK"));
        m_readingDepth = 0;
        throw;
    }
}

void PgStorage::endReading() noexcept
{
    if (m_readingDepth == 0 || --m_readingDepth > 0)
        return;
    // A reading wrote nothing; its transactions are closed, the main one last, as the others
    // took its snapshot. A connection that cannot close its transaction is not kept.
    const std::lock_guard<std::mutex> lock(m_readersLock);
    if (m_snapshot.empty())
        return;
    m_snapshot.clear();
    for (auto it = m_idleReaders.begin(); it != m_idleReaders.end();) {
        PGconn *c = *it;
        if (PQtransactionStatus(c) != PQTRANS_IDLE)
            PQclear(PQexec(c, "ROLLBACK"));
        if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE) {
            ++it;
        } else {
            PQfinish(c);
            it = m_idleReaders.erase(it);
            --m_readers;
        }
    }
    PQclear(PQexec(m_conn, "ROLLBACK"));
}

std::vector<std::string> PgStorage::rowValues(const std::string &key, const TableInfo &t, const LoadedTable &table,
                                              int record) const
{
    std::vector<std::string> values;
    values.reserve(t.fields.size());
    for (size_t i = 0; i < t.fields.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const size_t at = static_cast<size_t>(record - 1) * static_cast<size_t>(table.Header.RecordLength) +
                          static_cast<size_t>(table.Header.FieldOffsets[n]);
        std::string_view bytes(table.Data.data() + at, table.Header.FieldLengths[n]);
        const size_t end = bytes.find_last_not_of(' ');
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(0, end + 1);
        // Zero bytes and 0x98 (no character in CP1251) have no place in a text of the server.
        for (const char c : bytes)
            if (c == '\0' || static_cast<unsigned char>(c) == 0x98) {
                char code[8];
                std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(c));
                throw FileError("Запись " + std::to_string(record) + " таблицы «" + key + "», поле " +
                                cp1251ToUtf8(fieldName(t.fields[i].name)) + ": байт " + code +
                                " не является символом и не может быть сохранен на сервере. Ничего не сохранено.");
            }
        values.push_back(cp1251ToUtf8(bytes));
    }
    return values;
}

[[noreturn]] void PgStorage::staleByVersion(int64_t version)
{
    std::set<std::string> changes;
    const Result r(run(m_conn, "SELECT description FROM veltor_log WHERE ver = $1", {std::to_string(version)}));
    changes.insert(r.rows() > 0 ? r.text(0, 0) : std::string());
    throw StaleRecords(staleMessage(changes));
}

[[noreturn]] void PgStorage::stale(const std::string &key, int64_t row)
{
    const Result r(run(m_conn, "SELECT veltor_ver FROM " + sqlTable(key) + " WHERE veltor_pos = $1",
                       {std::to_string(row)}));
    if (r.rows() == 0)
        throw StaleRecords(staleMessage({std::string()}));
    staleByVersion(r.number(0, 0));
}

void PgStorage::noteEndMark(const std::string &key)
{
    const auto it = m_tables.find(key);
    if (it == m_tables.end() || it->second.endMark)
        return;
    run(m_conn, "UPDATE veltor_tables SET end_mark = true WHERE key = $1", {key});
    it->second.endMark = true;
}

bool PgStorage::hasEndMark(const std::string &fileName)
{
    const TableInfo *t = info(keyOf(fileName));
    return t == nullptr || t->endMark;
}

void PgStorage::writeTable(LoadedTable &table, const std::string &key, int64_t commit, Written &out)
{
    // A commit in the folder writes the end-of-file byte whatever the file had.
    noteEndMark(key);
    const TableInfo *t = info(key);
    const TableChanges &c = table.Changes;
    if (!sameFields(key, table.Header) || c.rewrite || c.replaced || !c.tracking ||
        table.RowKeys.size() != static_cast<size_t>(c.header.RecordCount)) {
        replaceTable(table, key, commit, out);
        return;
    }

    std::string columns;
    for (size_t i = 0; i < t->fields.size(); ++i)
        columns += ", " + columnOf(t->fields[i].name);
    std::string assignments;
    for (size_t i = 0; i < t->fields.size(); ++i)
        assignments += columnOf(t->fields[i].name) + " = $" + std::to_string(i + 4) + ", ";
    const std::string name = sqlTable(key);
    const std::string version = std::to_string(commit);
    const std::string updateSql = "UPDATE " + name + " SET " + assignments +
                                  "veltor_ver = $1 WHERE veltor_pos = $2 AND veltor_ver = $3";
    std::string placeholders;
    for (size_t i = 0; i < t->fields.size(); ++i)
        placeholders += ", $" + std::to_string(i + 2);
    const std::string insertSql = "INSERT INTO " + name + " (veltor_ver" + columns + ") VALUES ($1" + placeholders +
                                  ") RETURNING veltor_pos";
    const std::string deleteSql = "DELETE FROM " + name + " WHERE veltor_pos = $1 AND veltor_ver = $2";

    out.table = &table;
    out.keys.clear();
    out.versions.clear();
    const auto update = [&](size_t old, int record) {
        std::vector<std::string> params{version, std::to_string(table.RowKeys[old]),
                                        std::to_string(table.RowVersions[old])};
        for (std::string &v : rowValues(key, *t, table, record))
            params.push_back(std::move(v));
        if (run(m_conn, updateSql, params).affected() != 1)
            stale(key, table.RowKeys[old]);
        out.keys.push_back(table.RowKeys[old]);
        out.versions.push_back(commit);
    };
    const auto keep = [&](size_t old) {
        out.keys.push_back(table.RowKeys[old]);
        out.versions.push_back(table.RowVersions[old]);
    };
    const auto remove = [&](size_t old) {
        if (run(m_conn, deleteSql, {std::to_string(table.RowKeys[old]), std::to_string(table.RowVersions[old])})
                .affected() != 1)
            stale(key, table.RowKeys[old]);
    };
    const auto insert = [&](int record) {
        std::vector<std::string> params{version};
        for (std::string &v : rowValues(key, *t, table, record))
            params.push_back(std::move(v));
        const Result r(run(m_conn, insertSql, params));
        out.keys.push_back(r.number(0, 0));
        out.versions.push_back(commit);
    };

    const int32_t committed = c.header.RecordCount;
    const int32_t kept = c.movedFrom ? c.movedFrom - 1 : committed;
    for (int32_t r = 1; r <= kept; ++r) {
        if (c.originals.count(r))
            update(static_cast<size_t>(r - 1), r);
        else
            keep(static_cast<size_t>(r - 1));
    }
    const auto length = static_cast<size_t>(table.Header.RecordLength);
    const auto current = [&](int record) {
        return std::string_view(table.Data).substr(static_cast<size_t>(record - 1) * length, length);
    };
    int record = kept + 1;
    if (c.movedFrom) {
        // From the first deleted record on, the committed records are matched to the current
        // ones in order: equal bytes keep their row, skipped ones were deleted, others changed.
        const std::string_view tail(c.tail);
        const auto old = [&](int32_t i) { return tail.substr(static_cast<size_t>(i) * length, length); };
        const int32_t oldCount = committed - kept;
        int32_t i = 0;
        while (i < oldCount && record <= table.Header.RecordCount) {
            if (old(i) == current(record)) {
                keep(static_cast<size_t>(kept + i));
                ++i;
                ++record;
                continue;
            }
            int32_t found = i + 1;
            while (found < oldCount && old(found) != current(record))
                ++found;
            if (found < oldCount) {
                for (; i < found; ++i)
                    remove(static_cast<size_t>(kept + i));
            } else if (oldCount - i > table.Header.RecordCount - record + 1) {
                remove(static_cast<size_t>(kept + i));
                ++i;
            } else {
                update(static_cast<size_t>(kept + i), record);
                ++i;
                ++record;
            }
        }
        for (; i < oldCount; ++i)
            remove(static_cast<size_t>(kept + i));
    }
    for (; record <= table.Header.RecordCount; ++record)
        insert(record);
}

void PgStorage::copyRows(const std::string &key, const TableInfo &t, const LoadedTable &table, int64_t version,
                         const std::function<void(int64_t)> &progress)
{
    std::string columns;
    for (const Field &f : t.fields)
        columns += ", " + columnOf(f.name);
    run(m_conn, "COPY " + sqlTable(key) + " (veltor_ver" + columns + ") FROM STDIN");
    std::string chunk;
    const std::string ver = std::to_string(version);
    const auto send = [&]() {
        if (PQputCopyData(m_conn, chunk.data(), static_cast<int>(chunk.size())) != 1)
            throw FileError("Ошибка сервера базы данных: " + serverReason(m_conn));
        chunk.clear();
    };
    try {
        for (int r = 1; r <= table.Header.RecordCount; ++r) {
            chunk += ver;
            for (const std::string &v : rowValues(key, t, table, r)) {
                chunk += '\t';
                appendCopyValue(chunk, v);
            }
            chunk += '\n';
            if (chunk.size() > (1 << 20)) {
                send();
                if (progress)
                    progress(r);
            }
        }
        send();
    } catch (const FileError &e) {
        PQputCopyEnd(m_conn, "refused");
        Result(PQgetResult(m_conn));
        throw;
    }
    if (PQputCopyEnd(m_conn, nullptr) != 1)
        throw FileError("Ошибка сервера базы данных: " + serverReason(m_conn));
    const Result done(PQgetResult(m_conn));
    if (PQresultStatus(done.get()) != PGRES_COMMAND_OK)
        throw FileError("Ошибка сервера базы данных: " + serverReason(m_conn));
    while (PGresult *rest = PQgetResult(m_conn))
        PQclear(rest);
    if (progress)
        progress(table.Header.RecordCount);
}

bool PgStorage::sameFields(const std::string &key, const TTableHeader &header) const
{
    const TableInfo *t = info(key);
    if (t == nullptr || static_cast<int>(t->fields.size()) != FieldCount(header))
        return false;
    for (int i = 1; i <= FieldCount(header); ++i) {
        const Field &f = t->fields[static_cast<size_t>(i - 1)];
        if (f.name != fieldName(header.FieldNames[i]) || f.type != header.FieldTypes[i] ||
            f.length != header.FieldLengths[i])
            return false;
    }
    return true;
}

void PgStorage::defineTable(const std::string &key, const std::string &fileName, const TTableHeader &header)
{
    TableInfo fresh;
    fresh.fileName = fileName;
    std::string definition;
    for (int i = 1; i <= FieldCount(header); ++i) {
        const std::string n = fieldName(header.FieldNames[i]);
        fresh.fields.push_back({n, header.FieldTypes[i], header.FieldLengths[i]});
        // The field's width is the limit: a CP1251 text of n bytes is n characters.
        definition += ", " + columnOf(n) + " varchar(" + std::to_string(std::max<int>(1, header.FieldLengths[i])) +
                      ") NOT NULL DEFAULT ''";
    }
    const std::string name = sqlTable(key);
    run(m_conn, "DROP TABLE IF EXISTS " + name);
    run(m_conn, "CREATE TABLE " + name +
                    " (veltor_pos bigint PRIMARY KEY DEFAULT nextval('veltor_rows'), veltor_ver bigint NOT NULL" +
                    definition + ")");
    run(m_conn, "DELETE FROM veltor_fields WHERE key = $1", {key});
    for (size_t i = 0; i < fresh.fields.size(); ++i)
        run(m_conn, "INSERT INTO veltor_fields (key, field_no, name, type, length) VALUES ($1, $2, $3, $4, $5)",
            {key, std::to_string(i + 1), cp1251ToUtf8(fresh.fields[i].name), std::string(1, fresh.fields[i].type),
             std::to_string(fresh.fields[i].length)});
    run(m_conn,
        "INSERT INTO veltor_tables (key, file_name, position) VALUES ($1, $2,"
        " (SELECT coalesce(max(position), 0) + 1 FROM veltor_tables)) ON CONFLICT (key) DO NOTHING",
        {key, fileName});
    m_tables[key] = std::move(fresh);
}

void PgStorage::replaceTable(LoadedTable &table, const std::string &key, int64_t commit, Written &out)
{
    const std::string name = sqlTable(key);
    if (sameFields(key, table.Header)) {
        // The whole table is written: no other program may add to it meanwhile.
        run(m_conn, "LOCK TABLE " + name + " IN SHARE ROW EXCLUSIVE MODE");
        run(m_conn, "DELETE FROM " + name);
    } else {
        const TableInfo *t = info(key);
        defineTable(key, t ? t->fileName : key, table.Header);
    }
    copyRows(key, m_tables[key], table, commit, {});
    const Result keys(run(m_conn, "SELECT veltor_pos FROM " + name + " ORDER BY veltor_pos"));
    out.table = &table;
    out.keys.clear();
    for (int i = 0; i < keys.rows(); ++i)
        out.keys.push_back(keys.number(i, 0));
    out.versions.assign(out.keys.size(), commit);
}

void PgStorage::commit(AppState &state, std::string_view description, std::vector<CommitFile> &files,
                       const std::vector<std::string> &keys, const RecordChange &change)
{
    // Tables of the database go to the server; the program folder's tables (no ".dbf") and
    // config.ini stay files.
    std::vector<size_t> server;
    std::vector<CommitFile> local;
    std::vector<size_t> localIndex;
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].table != nullptr && keys[i].ends_with(".dbf")) {
            if (!files[i].table->Loaded)
                throw FileError("Таблица «" + keys[i] + "» не была загружена, поэтому не записана");
            if (HasChanges(*files[i].table))
                server.push_back(i);
        } else {
            local.push_back(files[i]);
            localIndex.push_back(i);
        }
    }

    std::vector<Written> written;
    const std::map<std::string, TableInfo> catalog = m_tables;
    try {
        run(m_conn, "BEGIN");
        // Commits are numbered in the order they become visible, one at a time: a snapshot that
        // holds a commit holds every one before it, so the log read on from the last version
        // seen misses none.
        run(m_conn, "SELECT pg_advisory_xact_lock(7392)");
        const int64_t commit = Result(run(m_conn, "SELECT nextval('veltor_commits')")).number(0, 0);
        if (!change.codes.empty()) {
            const std::string codes = intArray(change.codes);
            run(m_conn, "INSERT INTO veltor_codes (kod, ver) SELECT unnest($1::integer[]), 0 ON CONFLICT DO NOTHING",
                {codes});
            // Rows of these employees are changed by one commit at a time: the versions are locked.
            const Result current(
                run(m_conn, "SELECT kod, ver FROM veltor_codes WHERE kod = ANY($1::integer[]) FOR UPDATE", {codes}));
            for (int i = 0; i < current.rows(); ++i) {
                const auto code = static_cast<int32_t>(current.number(i, 0));
                const auto known = m_codeVersions.find(code);
                const int64_t ver = current.number(i, 1);
                if (ver != (known == m_codeVersions.end() ? 0 : known->second))
                    staleByVersion(ver);
            }
            run(m_conn, "UPDATE veltor_codes SET ver = $1 WHERE kod = ANY($2::integer[])",
                {std::to_string(commit), codes});
        }
        for (const size_t i : server) {
            written.emplace_back();
            writeTable(*files[i].table, keys[i], commit, written.back());
        }
        run(m_conn, "INSERT INTO veltor_log (ver, description, tables, codes) VALUES ($1, $2, $3, $4)",
            {std::to_string(commit), std::string(description), joinNames(change.tables), joinCodes(change.codes)});
        run(m_conn, "SELECT pg_notify($1, $2)", {Channel, std::to_string(commit)});
        if (!local.empty())
            commitFiles(state.journalFile(), description, local);
        if (PQresultStatus(Result(PQexec(m_conn, "COMMIT")).get()) != PGRES_COMMAND_OK)
            throw FileError("Ошибка сервера базы данных: " + serverReason(m_conn));
        m_ownCommits.insert(commit);
        for (const int32_t code : change.codes)
            m_codeVersions[code] = commit;
    } catch (const StaleRecords &) {
        Result(PQexec(m_conn, "ROLLBACK"));
        m_tables = catalog;
        // The save is refused whole; what the other program saved is read in at once, so the
        // windows can show the current data.
        for (const size_t i : server)
            RevertChanges(*files[i].table);
        catchUp();
        throw;
    } catch (...) {
        Result(PQexec(m_conn, "ROLLBACK"));
        m_tables = catalog;
        throw;
    }
    scheduleCatchUp();
    for (Written &w : written) {
        w.table->RowKeys = std::move(w.keys);
        w.table->RowVersions = std::move(w.versions);
        AcceptChanges(*w.table);
    }
    for (size_t k = 0; k < local.size(); ++k)
        files[localIndex[k]] = local[k];
}

int32_t PgStorage::newEmployeeCode(int32_t atLeast)
{
    // Codes are taken under a lock of their own, so that two programs never get the same one
    // even when one of them has to move the sequence up to a code its tables already hold.
    run(m_conn, "BEGIN");
    try {
        run(m_conn, "SELECT pg_advisory_xact_lock(7391)");
        int64_t code = Result(run(m_conn, "SELECT nextval('veltor_employee_codes')")).number(0, 0);
        if (code < atLeast) {
            run(m_conn, "SELECT setval('veltor_employee_codes', $1)", {std::to_string(atLeast)});
            code = atLeast;
        }
        run(m_conn, "COMMIT");
        return static_cast<int32_t>(code);
    } catch (...) {
        Result(PQexec(m_conn, "ROLLBACK"));
        throw;
    }
}

LoadedTable *PgStorage::tableOf(const std::string &key)
{
    for (LoadedTable *t : {&m_state->Osnova, &m_state->Otdel, &m_state->Dolzh, &m_state->Semja, &m_state->Trud,
                           &m_state->Passport, &m_state->Obraz, &m_state->Voen, &m_state->Dopoln, &m_state->TipDok})
        if (tableKey(*m_state, *t) == key)
            return t;
    return nullptr;
}

void PgStorage::follow(AppState &state)
{
    m_state = &state;
    delete m_notifier;
    m_notifier = new QSocketNotifier(PQsocket(m_conn), QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { safeCatchUp(); });
}

void PgStorage::safeCatchUp()
{
    // Nothing may escape into the event loop. A lost connection stops the listening; the next
    // commit or reading says what happened.
    try {
        catchUp();
    } catch (const std::exception &) {
        if (m_notifier && PQstatus(m_conn) != CONNECTION_OK)
            m_notifier->setEnabled(false);
    }
}

void PgStorage::scheduleCatchUp()
{
    // Notices that arrived while this program was talking to the server were read with the
    // answers, so the socket will not say so again: the log is looked at once the event loop
    // runs.
    if (m_state != nullptr)
        QMetaObject::invokeMethod(this, [this] { safeCatchUp(); }, Qt::QueuedConnection);
}

void PgStorage::catchUp()
{
    if (m_catchingUp || m_conn == nullptr || PQtransactionStatus(m_conn) != PQTRANS_IDLE)
        return;
    m_catchingUp = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_catchingUp};
    PQconsumeInput(m_conn);
    while (PGnotify *n = PQnotifies(m_conn))
        PQfreemem(n);
    std::vector<RecordChange> changes;
    {
        // The log and the tables re-read are of one moment. The reading is over before anyone
        // hears of the changes: a window told of them may save at once.
        const StorageReading reading(*this);
        const Result log(run(m_conn,
                             "SELECT ver, description, tables, codes FROM veltor_log WHERE ver > $1 ORDER BY ver",
                             {std::to_string(m_lastSeen)}));
        std::set<std::string> tables;
        for (int i = 0; i < log.rows(); ++i) {
            const int64_t ver = log.number(i, 0);
            m_lastSeen = std::max(m_lastSeen, ver);
            if (m_ownCommits.count(ver))
                continue;
            RecordChange change;
            change.description = log.text(i, 1);
            for (const std::string &t : split(log.text(i, 2)))
                change.tables.insert(t);
            for (const std::string &c : split(log.text(i, 3))) {
                const auto code = static_cast<int32_t>(std::stol(c));
                change.codes.insert(code);
                m_codeVersions[code] = std::max(m_codeVersions[code], ver);
            }
            tables.insert(change.tables.begin(), change.tables.end());
            changes.push_back(std::move(change));
        }
        if (changes.empty() || m_state == nullptr)
            return;
        loadCatalog();
        for (const std::string &key : tables) {
            LoadedTable *t = tableOf(key);
            // A table holding this program's changes not yet committed is left as it is: its
            // own commit will be checked against the versions.
            if (t != nullptr && t->Loaded && !HasChanges(*t) && !m_state->RecordsDeleted)
                readTable(*m_state, t == &m_state->Osnova ? schema::OsnovaTable : m_tables[key].fileName, *t);
        }
    }
    for (const RecordChange &change : changes) {
        for (const int32_t code : change.codes)
            m_state->HighestCode = std::max(m_state->HighestCode, code);
        m_state->Versions.bump(change);
        if (m_state->Notifier)
            emit m_state->Notifier->committed(change);
    }
}

bool PgStorage::isEmpty()
{
    return m_tables.empty();
}

std::vector<std::string> PgStorage::tableFiles()
{
    std::vector<std::string> names;
    const Result tables(run(m_conn, "SELECT file_name FROM veltor_tables ORDER BY position"));
    for (int i = 0; i < tables.rows(); ++i)
        names.push_back(tables.text(i, 0));
    return names;
}

void PgStorage::createTable(const std::string &fileName, const LoadedTable &table, bool endMark,
                            const std::function<void(int64_t)> &progress)
{
    const std::string key = keyOf(fileName);
    if (info(key) != nullptr)
        throw FileError("В базе данных на сервере уже есть таблица «" + fileName + "»");
    defineTable(key, fileName, table.Header);
    if (!endMark) {
        run(m_conn, "UPDATE veltor_tables SET end_mark = false WHERE key = $1", {key});
        m_tables[key].endMark = false;
    }
    copyRows(key, m_tables[key], table, 0, progress);
}

int64_t PgStorage::countRows(const std::string &fileName)
{
    return Result(run(m_conn, "SELECT count(*) FROM " + sqlTable(keyOf(fileName)))).number(0, 0);
}

void PgStorage::setEmployeeCodesAbove(int32_t code)
{
    if (code > 0)
        run(m_conn, "SELECT setval('veltor_employee_codes', $1)", {std::to_string(code)});
}

void PgStorage::begin()
{
    run(m_conn, "BEGIN");
}

void PgStorage::end()
{
    run(m_conn, "COMMIT");
}

void PgStorage::rollback()
{
    Result(PQexec(m_conn, "ROLLBACK"));
    loadCatalog();
}

} // namespace veltor
