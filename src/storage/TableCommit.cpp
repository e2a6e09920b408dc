#include "storage/TableCommit.h"

#include "storage/FileIO.h"
#include "storage/FileNames.h"
#include "text/Errors.h"

#include <QtGlobal>

#include <cstring>

namespace veltor {
namespace {

constexpr std::string_view JournalMagic = "VELTOR-JOURNAL-1";
constexpr std::string_view JournalEnd = "END.";

CommitStatistics &statistics()
{
    static CommitStatistics last;
    return last;
}

CommitStepHook &stepHook()
{
    static CommitStepHook hook;
    return hook;
}

void step(const std::filesystem::path &file)
{
    if (!stepHook())
        return;
    try {
        stepHook()(file);
    } catch (const FileError &) {
        throw;
    } catch (const std::exception &e) {
        throw FileError("Не удается записать файл «" + pathToUtf8(file) + "»: " + e.what());
    }
}

struct Write {
    int64_t offset = 0;
    std::string bytes;
};

// What one file of a commit becomes: the writes, its new size, and what they overwrite.
struct FilePlan {
    CommitFile *file = nullptr;
    bool existed = false;
    int64_t oldSize = -1;
    int64_t newSize = 0;
    std::vector<Write> writes;
    std::vector<Write> saved; // the old bytes the writes and the cut overwrite
};

std::string blankFlags(std::string records, int recordLength)
{
    for (size_t at = 0; at < records.size(); at += static_cast<size_t>(recordLength))
        records[at] = ' ';
    return records;
}

void checkUnchangedOnDisk(const CommitFile &f)
{
    const LoadedTable &t = *f.table;
    if (t.Stamp.size < 0)
        return; // made in memory: nothing was read to go stale
    const FileStamp now = fileStampOf(f.path);
    if (now.size != t.Stamp.size || now.modified != t.Stamp.modified) {
        throw TableChangedOnDisk("Файл «" + pathToUtf8(f.path) +
                                 "» изменён другой программой после того, как был прочитан. Ничего не сохранено: "
                                 "перечитайте данные («Показать всех») и повторите изменение.");
    }
}

// The writes that make a table's file what WriteTable of the whole table gives.
void planTable(FilePlan &plan)
{
    LoadedTable &t = *plan.file->table;
    const TTableHeader &h = t.Header;
    const int32_t count = h.RecordCount;
    plan.newSize = TableFileSize(plan.file->path, h, count);
    const std::string header = TableHeaderBytes(h, count);
    const auto length = static_cast<size_t>(h.RecordLength);
    const TableChanges &c = t.Changes;

    std::string diskHeader;
    if (plan.existed) {
        DiskFile disk(plan.file->path, DiskFile::Mode::Existing);
        diskHeader = disk.read(0, static_cast<int64_t>(header.size()));
    }
    const bool sameLayout = diskHeader.size() == header.size() && diskHeader.compare(8, 4, header, 8, 4) == 0;
    if (!plan.existed || !c.tracking || c.rewrite || c.replaced || !sameLayout ||
        c.header.RecordLength != h.RecordLength) {
        plan.writes.push_back({0, TableFileBytes(h, t.Data, count)});
        return;
    }

    size_t first = 0;
    while (first < header.size() && header[first] == diskHeader[first])
        ++first;
    if (first < header.size()) {
        size_t last = header.size();
        while (header[last - 1] == diskHeader[last - 1])
            --last;
        plan.writes.push_back({static_cast<int64_t>(first), header.substr(first, last - first)});
    }
    const auto offsetOf = [&](int32_t record) {
        return static_cast<int64_t>(header.size()) + int64_t{record - 1} * h.RecordLength;
    };
    const int32_t movedFrom = c.movedFrom ? c.movedFrom : c.header.RecordCount + 1;
    for (const auto &entry : c.originals) {
        const int32_t record = entry.first;
        if (record >= movedFrom || record > count)
            continue;
        plan.writes.push_back({offsetOf(record), blankFlags(t.Data.substr((record - 1) * length, length), h.RecordLength)});
    }
    if (movedFrom <= count) {
        plan.writes.push_back({offsetOf(movedFrom),
                               blankFlags(t.Data.substr((movedFrom - 1) * length, (count - movedFrom + 1) * length),
                                          h.RecordLength)});
    }
    plan.writes.push_back({plan.newSize - 1, std::string(1, '\x1A')});
}

void planFile(FilePlan &plan)
{
    const FileStamp stamp = fileStampOf(plan.file->path);
    plan.existed = stamp.size >= 0;
    plan.oldSize = stamp.size;
    if (plan.file->table != nullptr)
        planTable(plan);
    else {
        plan.newSize = static_cast<int64_t>(plan.file->bytes.size());
        plan.writes.push_back({0, plan.file->bytes});
    }
    if (!plan.existed)
        return;
    DiskFile disk(plan.file->path, DiskFile::Mode::Existing);
    for (const Write &w : plan.writes)
        if (w.offset < plan.oldSize)
            plan.saved.push_back({w.offset, disk.read(w.offset, std::min<int64_t>(static_cast<int64_t>(w.bytes.size()),
                                                                                  plan.oldSize - w.offset))});
    if (plan.newSize < plan.oldSize)
        plan.saved.push_back({plan.newSize, disk.read(plan.newSize, plan.oldSize - plan.newSize)});
}

// Journal layout: magic; description; per file its path, whether it existed, its old size and
// the saved byte ranges; then a checksum of all that and an end mark. A journal without a valid
// end was being written when the commit stopped, before any file was touched.
void putU64(std::string &out, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void putText(std::string &out, std::string_view text)
{
    putU64(out, text.size());
    out.append(text);
}

uint64_t checksum(std::string_view bytes)
{
    uint64_t hash = 1469598103934665603ULL; // FNV-1a
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string journalBytes(std::string_view description, const std::vector<FilePlan> &plans)
{
    std::string out(JournalMagic);
    putText(out, description);
    putU64(out, plans.size());
    for (const FilePlan &p : plans) {
        putText(out, pathToUtf8(p.file->path));
        putU64(out, p.existed ? 1 : 0);
        putU64(out, static_cast<uint64_t>(std::max<int64_t>(0, p.oldSize)));
        putU64(out, p.saved.size());
        for (const Write &w : p.saved) {
            putU64(out, static_cast<uint64_t>(w.offset));
            putText(out, w.bytes);
        }
    }
    putU64(out, checksum(out));
    out.append(JournalEnd);
    return out;
}

struct JournalFile {
    std::filesystem::path path;
    bool existed = false;
    int64_t oldSize = 0;
    std::vector<Write> saved;
};

struct Journal {
    std::string description;
    std::vector<JournalFile> files;
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    uint64_t u64()
    {
        need(8);
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<uint64_t>(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
        m_at += 8;
        return v;
    }
    std::string text()
    {
        const uint64_t n = u64();
        need(n);
        std::string s(m_bytes.substr(m_at, n));
        m_at += n;
        return s;
    }
    size_t at() const { return m_at; }

private:
    void need(uint64_t n)
    {
        if (n > m_bytes.size() - m_at)
            throw std::out_of_range("journal");
    }
    std::string_view m_bytes;
    size_t m_at = 0;
};

// The journal's content, or nothing when it is not a whole journal.
std::optional<Journal> parseJournal(std::string_view bytes)
{
    if (bytes.size() < JournalMagic.size() + 8 + JournalEnd.size() || bytes.substr(0, JournalMagic.size()) != JournalMagic ||
        bytes.substr(bytes.size() - JournalEnd.size()) != JournalEnd)
        return std::nullopt;
    const std::string_view body = bytes.substr(0, bytes.size() - JournalEnd.size() - 8);
    Reader sum(bytes.substr(body.size()));
    if (sum.u64() != checksum(body))
        return std::nullopt;
    try {
        Reader r(body.substr(JournalMagic.size()));
        Journal j;
        j.description = r.text();
        const uint64_t files = r.u64();
        for (uint64_t i = 0; i < files; ++i) {
            JournalFile f;
            f.path = pathFromQString(QString::fromStdString(r.text()));
            f.existed = r.u64() != 0;
            f.oldSize = static_cast<int64_t>(r.u64());
            const uint64_t saved = r.u64();
            for (uint64_t k = 0; k < saved; ++k) {
                Write w;
                w.offset = static_cast<int64_t>(r.u64());
                w.bytes = r.text();
                f.saved.push_back(std::move(w));
            }
            j.files.push_back(std::move(f));
        }
        return j;
    } catch (const std::out_of_range &) {
        return std::nullopt;
    }
}

// Returns each file to its saved bytes and old size; a file the commit created is removed.
void rollBack(const Journal &j)
{
    for (const JournalFile &f : j.files) {
        if (!f.existed) {
            removeFile(f.path);
            syncFolder(f.path.parent_path());
            continue;
        }
        DiskFile disk(f.path, DiskFile::Mode::Create);
        for (const Write &w : f.saved)
            disk.write(w.offset, w.bytes);
        disk.resize(f.oldSize);
        disk.sync();
        syncFolder(f.path.parent_path());
    }
}

Journal journalOf(std::string_view description, const std::vector<FilePlan> &plans)
{
    Journal j;
    j.description = description;
    for (const FilePlan &p : plans)
        j.files.push_back({p.file->path, p.existed, std::max<int64_t>(0, p.oldSize), p.saved});
    return j;
}

std::string readWholeFile(const std::filesystem::path &file)
{
    DiskFile f(file, DiskFile::Mode::Existing);
    return f.read(0, f.size());
}

} // namespace

CommitStatistics lastCommitStatistics()
{
    return statistics();
}

void setCommitStepHook(CommitStepHook hook)
{
    stepHook() = std::move(hook);
}

void commitFiles(const std::filesystem::path &journalFile, std::string_view description,
                 std::vector<CommitFile> &files)
{
    std::vector<FilePlan> plans;
    try {
        for (CommitFile &f : files) {
            if (f.table != nullptr && !f.table->Loaded) {
                throw FileError("Таблица «" + pathToUtf8(f.path.filename()) +
                                "» не была загружена, поэтому не записана: файл оставлен как был");
            }
            // Only a table that is written can undo what other software wrote into it.
            if (f.table != nullptr && HasChanges(*f.table))
                checkUnchangedOnDisk(f);
        }
        for (CommitFile &f : files) {
            if (f.table != nullptr && !HasChanges(*f.table) && fileStampOf(f.path).size >= 0)
                continue;
            FilePlan plan;
            plan.file = &f;
            planFile(plan);
            plans.push_back(std::move(plan));
        }
    } catch (...) {
        throw;
    }

    const std::string journal = journalBytes(description, plans);
    try {
        step(journalFile);
        DiskFile j(journalFile, DiskFile::Mode::Create);
        j.resize(0);
        j.write(0, journal);
        j.sync();
        syncFolder(journalFile.parent_path());
    } catch (...) {
        try {
            removeFile(journalFile);
        } catch (const FileError &) {
            // An unfinished journal is recognised as such and touches nothing.
        }
        throw;
    }

    try {
        for (FilePlan &p : plans) {
            step(p.file->path);
            DiskFile disk(p.file->path, DiskFile::Mode::Create);
            for (const Write &w : p.writes)
                disk.write(w.offset, w.bytes);
            disk.resize(p.newSize);
            disk.sync();
            if (!p.existed)
                syncFolder(p.file->path.parent_path());
        }
        step(journalFile);
        removeFile(journalFile);
        syncFolder(journalFile.parent_path());
    } catch (const std::exception &e) {
        const std::string why = e.what();
        try {
            rollBack(journalOf(description, plans));
            removeFile(journalFile);
            syncFolder(journalFile.parent_path());
            // The files hold again the bytes the tables were read from; only their times moved.
            for (const FilePlan &p : plans)
                if (p.file->table != nullptr)
                    p.file->table->Stamp = fileStampOf(p.file->path);
        } catch (const std::exception &) {
            throw FileError(why + ". Файлы будут возвращены к прежнему состоянию при следующем запуске программы.");
        }
        throw FileError(why);
    }

    CommitStatistics done;
    done.journalBytes = static_cast<int64_t>(journal.size());
    for (const FilePlan &p : plans) {
        ++done.files;
        for (const Write &w : p.writes)
            done.fileBytes += static_cast<int64_t>(w.bytes.size());
    }
    statistics() = done;

    // Tests check that writing in place gave exactly the bytes of writing the whole table.
    static const bool verify = qEnvironmentVariableIsSet("VELTOR_VERIFY_COMMITS");
    for (const FilePlan &p : plans) {
        const LoadedTable *t = p.file->table;
        if (verify && t != nullptr && readWholeFile(p.file->path) != TableFileBytes(t->Header, t->Data, t->Header.RecordCount))
            qFatal("commit of %s: the file differs from the whole table", pathToUtf8(p.file->path).c_str());
    }
    for (CommitFile &f : files) {
        if (f.table == nullptr)
            continue;
        AcceptChanges(*f.table);
        f.table->Stamp = fileStampOf(f.path);
        f.table->BytesPastRecords = 0;
    }
}

std::optional<std::string> rollBackJournal(const std::filesystem::path &journalFile)
{
    if (fileStampOf(journalFile).size < 0)
        return std::nullopt;
    const std::optional<Journal> j = parseJournal(readWholeFile(journalFile));
    if (j)
        rollBack(*j);
    removeFile(journalFile);
    syncFolder(journalFile.parent_path());
    if (!j)
        return std::nullopt;
    return j->description;
}

} // namespace veltor
