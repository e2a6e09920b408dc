#include "storage/DBFUnit.h"

#include <atomic>
#include <cstring>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <stdexcept>

#include "storage/FileIO.h"
#include "storage/FileNames.h"
#include "storage/WriteHook.h"
#include "text/Convert.h"
#include "text/Cp1251.h"
#include "text/Errors.h"

namespace veltor {
namespace {

constexpr int DescriptorSize = 32;
constexpr int FileHeaderSize = 32;
constexpr char HeaderTerminator = 0x0D;
constexpr char EndOfData = 0x1A;
constexpr int FieldNameBytes = 11;   // as read: the whole name area of a descriptor
constexpr int WrittenNameBytes = 10; // as written: the 11th byte is always zero
// A written table stays below 2 GB, which readers seeking with signed 32-bit offsets reach; the
// record count (32 bits in the file) is limited by that alone.
constexpr int64_t MaxWrittenFileSize = 0x7FFFFFFF;

int headerLengthFor(int fieldCount)
{
    return DescriptorSize * fieldCount + 33;
}

bool isTrimmed(unsigned char c)
{
    return c <= 0x20;
}

// Bytes 0x00-0x20 removed on both sides, as every field and name comparison does.
std::string_view trimmed(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    // Fields are padded with blanks up to their width (a name of 100 bytes holds 30 letters):
    // the padding is passed eight bytes at a time.
    static constexpr char Blanks[8] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    while (end >= 8 && std::memcmp(text.data() + end - 8, Blanks, 8) == 0)
        end -= 8;
    while (end > begin && isTrimmed(static_cast<unsigned char>(text[end - 1])))
        --end;
    while (begin < end && isTrimmed(static_cast<unsigned char>(text[begin])))
        ++begin;
    return text.substr(begin, end - begin);
}

uint32_t readLe32(std::string_view bytes, size_t at)
{
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

uint16_t readLe16(std::string_view bytes, size_t at)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void putLe16(std::string &bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void putLe32(std::string &bytes, size_t at, uint32_t value)
{
    putLe16(bytes, at, value & 0xFFFF);
    putLe16(bytes, at + 2, value >> 16);
}

std::string quoted(const std::filesystem::path &fileName)
{
    return "\"" + pathToUtf8(fileName) + "\"";
}

[[noreturn]] void throwDamaged(std::string_view fileName, const std::string &what)
{
    throw FileError("Файл \"" + std::string(fileName) + "\" поврежден: " + what);
}

[[noreturn]] void throwWriteError(const std::filesystem::path &fileName, const std::string &why)
{
    throw FileError("Не удается записать файл " + quoted(fileName) + ": " + why);
}

// One field as it goes into a written header.
struct FieldDescriptor {
    std::string name;
    size_t nameBytes = WrittenNameBytes; // 11 for a name read from a file
    char type = 'C';
    uint8_t length = 0;
    uint8_t decimals = 0;
};

// Tables of other dBASE-family formats: their headers or records are laid out otherwise
// (dBASE 7: 48-byte field descriptors; Visual FoxPro: binary fields and a backlink; FoxPro and
// FoxBASE: their own memo files). Read as dBASE III they would be misread, so they are refused
// by name rather than called damaged.
const char *unsupportedFormat(uint8_t version)
{
    switch (version) {
    case 0x04:
    case 0x8C:
        return "dBASE 7";
    case 0x30:
    case 0x31:
    case 0x32:
        return "Visual FoxPro";
    case 0xF5:
        return "FoxPro";
    case 0xFB:
        return "FoxBASE";
    default:
        return nullptr;
    }
}

void checkFormat(std::string_view bytes, std::string_view nameForMessages)
{
    if (const char *format = unsupportedFormat(static_cast<uint8_t>(bytes[0]))) {
        throw FileError("Файл \"" + std::string(nameForMessages) + "\": формат " + format +
                        " не поддерживается. Сохраните таблицу в формате dBASE III и откройте снова.");
    }
}

// Decodes the 32-byte file header and the field descriptors from `bytes`, which hold at least
// the header. The field list ends at the 0x0D terminator: other software pads headers with zero
// bytes behind it, and those are no fields.
void parseHeader(std::string_view bytes, std::string_view nameForMessages, TTableHeader &header)
{
    checkFormat(bytes, nameForMessages);
    const uint32_t recordCount = readLe32(bytes, 4);
    const int headerLength = readLe16(bytes, 8);
    const int recordLength = readLe16(bytes, 10);
    if (recordCount > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        throwDamaged(nameForMessages,
                     "неверное число записей (" + std::to_string(recordCount) + ")");
    if (headerLength < FileHeaderSize)
        throwDamaged(nameForMessages,
                     "длина заголовка " + std::to_string(headerLength) + " меньше 32 байт");
    if (static_cast<size_t>(headerLength) > bytes.size())
        throwDamaged(nameForMessages, "длина заголовка " + std::to_string(headerLength) +
                                          " больше длины файла " + std::to_string(bytes.size()));
    if (recordLength == 0)
        throwDamaged(nameForMessages, "длина записи равна 0");

    const int declared = std::max(0, (headerLength - 33) / DescriptorSize);
    int fieldCount = 0;
    int offset = 1; // byte 0 of a record is the deletion flag
    for (int i = 1; i <= declared; ++i) {
        const size_t at = static_cast<size_t>(DescriptorSize) * i;
        if (bytes[at] == HeaderTerminator)
            break;
        if (i > MaxFields)
            throwDamaged(nameForMessages, "больше " + std::to_string(MaxFields) + " полей");
        header.FieldNames[i] = std::string(bytes.substr(at, FieldNameBytes));
        header.FieldTypes[i] = bytes[at + 11];
        header.FieldLengths[i] = static_cast<uint8_t>(bytes[at + 16]);
        header.Form.Types[i] = bytes[at + 11];
        header.Form.Decimals[i] = static_cast<uint8_t>(bytes[at + 17]);
        if (bytes[at + 17] != 0)
            header.FieldTypes[i] = 'R';
        header.FieldOffsets[i] = offset;
        offset += header.FieldLengths[i];
        if (offset > recordLength) {
            throwDamaged(nameForMessages, "поле \"" + cp1251ToUtf8(trimmed(header.FieldNames[i])) +
                                              "\" выходит за пределы записи длины " +
                                              std::to_string(recordLength));
        }
        fieldCount = i;
    }
    // Some software pads records behind the last field. Such a file cannot be written back as it
    // was: the record length written is always 1 + the field lengths, and readers that step
    // through a record by its field lengths would misread the spare bytes. It is refused whole.
    if (offset != recordLength) {
        throwDamaged(nameForMessages, "длина записи " + std::to_string(recordLength) +
                                          " не равна сумме длин полей с флагом удаления (" +
                                          std::to_string(offset) + ")");
    }
    header.RecordCount = static_cast<int32_t>(recordCount);
    header.HeaderLength = headerLengthFor(fieldCount);
    header.RecordLength = recordLength;
    header.Form.FromFile = true;
    header.Form.Version = static_cast<uint8_t>(bytes[0]);
    header.Form.CodePage = static_cast<uint8_t>(bytes[29]);
    for (int k = 0; k < 3; ++k)
        header.Form.Updated[k] = static_cast<uint8_t>(bytes[1 + k]);
}

int writtenRecordLength(const std::vector<FieldDescriptor> &fields)
{
    int recordLength = 1;
    for (const FieldDescriptor &field : fields)
        recordLength += field.length;
    return recordLength;
}

// Data with the first byte of every whole record set to a blank. Copied only when a record
// carries another flag, which is rare.
std::string_view withBlankDeletionFlags(const std::string &data, int recordLength,
                                        std::string &copy)
{
    const auto length = static_cast<size_t>(recordLength);
    const size_t records = data.size() / length;
    size_t k = 0;
    while (k < records && data[k * length] == ' ')
        ++k;
    if (k == records)
        return data;
    copy = data;
    for (; k < records; ++k)
        copy[k * length] = ' ';
    return copy;
}

// The bytes of a written header: 32-byte file header, descriptors, 0x0D. A table read from a
// file keeps its version, last-update date and code-page bytes; the production-index flag
// (byte 28) is never written, since the program does not keep such an index up to date.
std::string headerBytes(const std::vector<FieldDescriptor> &fields, int32_t recordCount,
                        const TFileForm &form = TFileForm{})
{
    const int fieldCount = static_cast<int>(fields.size());
    const int recordLength = writtenRecordLength(fields);

    std::string bytes(static_cast<size_t>(headerLengthFor(fieldCount)), '\0');
    bytes[0] = 0x03;
    if (form.FromFile) {
        bytes[0] = static_cast<char>(form.Version);
        for (int k = 0; k < 3; ++k)
            bytes[1 + k] = static_cast<char>(form.Updated[k]);
        bytes[29] = static_cast<char>(form.CodePage);
    }
    // The count is 32 bits (bytes 4-7); up to 65535 records bytes 6-7 are zero, as older
    // versions of the program wrote them.
    putLe32(bytes, 4, static_cast<uint32_t>(recordCount));
    putLe16(bytes, 8, static_cast<uint32_t>(headerLengthFor(fieldCount)));
    putLe16(bytes, 10, static_cast<uint32_t>(recordLength));
    for (int i = 0; i < fieldCount; ++i) {
        const FieldDescriptor &field = fields[static_cast<size_t>(i)];
        const size_t at = static_cast<size_t>(DescriptorSize) * (i + 1);
        // A name ends at its first NUL; bytes some writers leave behind it are not written.
        const std::string_view name = std::string_view(field.name).substr(0, field.name.find('\0'));
        bytes.replace(at, std::min(name.size(), field.nameBytes), name.substr(0, field.nameBytes));
        bytes[at + 11] = field.type;
        bytes[at + 16] = static_cast<char>(field.length);
        bytes[at + 17] = static_cast<char>(field.decimals);
    }
    bytes[bytes.size() - 1] = HeaderTerminator;
    return bytes;
}

std::vector<FieldDescriptor> descriptorsOf(const TTableHeader &header)
{
    const int fieldCount = FieldCount(header);
    std::vector<FieldDescriptor> fields(static_cast<size_t>(fieldCount));
    for (int i = 1; i <= fieldCount; ++i) {
        FieldDescriptor &field = fields[static_cast<size_t>(i - 1)];
        field.name = header.FieldNames[i];
        field.length = header.FieldLengths[i];
        // A field read from a file is written as it was read: its type letter, decimals and
        // name of up to 11 bytes. Fields the program made follow the program's own rule.
        const bool read = header.Form.FromFile && header.Form.Types[i] != 0;
        if (read)
            field.nameBytes = FieldNameBytes;
        if (header.FieldTypes[i] != 'R') {
            field.type = header.FieldTypes[i];
        } else if (read) {
            field.type = header.Form.Types[i];
            field.decimals = header.Form.Decimals[i];
        } else {
            field.type = 'N';
            field.decimals = static_cast<uint8_t>(field.length / 4);
        }
    }
    return fields;
}

// A count is refused when negative or when the file it describes would reach 2 GB.
void checkRecordCount(const std::filesystem::path &fileName, int32_t recordCount, int headerLength,
                      int recordLength)
{
    const int64_t size = int64_t{headerLength} + int64_t{recordCount} * recordLength + 1;
    if (recordCount < 0 || size > MaxWrittenFileSize) {
        throwWriteError(fileName, "число записей " + std::to_string(recordCount) +
                                      " не помещается в файл (допустимо от 0 до " +
                                      std::to_string((MaxWrittenFileSize - 1 - headerLength) /
                                                     std::max(1, recordLength)) +
                                      ")");
    }
}

// Replaces the file atomically: the bytes go to a temporary file in the same folder, which is
// flushed to disk and renamed over the old file only when everything was written.
TableWriteHook &writeHook()
{
    static TableWriteHook hook;
    return hook;
}

// The reason of the last failure of a file operation in Russian: the system's own error where
// it left one (errno is cleared before each operation), Qt's text otherwise.
std::string failureReason(const QFileDevice &file, bool reading)
{
    const int error = errno;
    if (error == EACCES || error == EPERM)
        return reading ? "Нет прав на чтение" : "Нет прав на запись";
    if (error != 0)
        return systemReason(error);
    return file.errorString().toStdString();
}

void replaceFile(const std::filesystem::path &fileName, std::string_view header,
                 std::string_view data)
{
    // Unbuffered: Qt's commit() does not report a failure to flush its buffer (a full disk)
    // and would rename the short temporary file over the table; every write is checked here.
    QSaveFile file(pathToQString(fileName));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throwWriteError(fileName, failureReason(file, false));
    bool first = true;
    for (const std::string_view part : {header, data}) {
        if (!first && writeHook()) {
            try {
                writeHook()(fileName);
            } catch (const std::exception &e) {
                file.cancelWriting();
                throwWriteError(fileName, e.what());
            }
        }
        first = false;
        errno = 0;
        if (file.write(part.data(), static_cast<qint64>(part.size())) !=
            static_cast<qint64>(part.size())) {
            const std::string why = failureReason(file, false);
            file.cancelWriting();
            throwWriteError(fileName, why);
        }
    }
    errno = 0;
    if (!file.commit())
        throwWriteError(fileName, failureReason(file, false));
}

int parseStructureNumber(std::string_view digits, const std::filesystem::path &fileName,
                         std::string_view item)
{
    int value = 0;
    if (digits.empty() || digits.size() > 3 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        throwWriteError(fileName, "неверное описание поля \"" + cp1251ToUtf8(item) + "\"");
    }
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// A structure string "NAME%T(L)" or "NAME%T(L.D)" per field, without separators.
std::vector<FieldDescriptor> parseStructure(std::string_view structure,
                                            const std::filesystem::path &fileName)
{
    std::vector<FieldDescriptor> fields;
    while (structure.find('%') != std::string_view::npos) {
        if (static_cast<int>(fields.size()) == MaxStructureItems) {
            throwWriteError(fileName, "в описании структуры больше " +
                                          std::to_string(MaxStructureItems) + " полей");
        }
        const size_t percent = structure.find('%');
        const size_t close = structure.find(')', percent);
        // The type letter and "(" follow "%", so an item is at least "%T()" long.
        if (close == std::string_view::npos || close < percent + 3)
            throwWriteError(fileName, "неверное описание поля \"" + cp1251ToUtf8(structure) + "\"");
        const std::string_view item = structure.substr(0, close + 1);
        FieldDescriptor field;
        field.name = std::string(structure.substr(0, std::min<size_t>(percent, WrittenNameBytes)));
        field.type = structure[percent + 1];
        const std::string_view size = structure.substr(percent + 3, close - percent - 3);
        const size_t dot = size.find('.');
        const int length = parseStructureNumber(size.substr(0, dot), fileName, item);
        const int decimals = dot == std::string_view::npos
                                 ? 0
                                 : parseStructureNumber(size.substr(dot + 1), fileName, item);
        if (length < 1 || length > 255 || decimals > 255) {
            throwWriteError(fileName, "неверная длина поля \"" + cp1251ToUtf8(item) +
                                          "\" (допустимо от 1 до 255)");
        }
        field.length = static_cast<uint8_t>(length);
        field.decimals = static_cast<uint8_t>(decimals);
        fields.push_back(std::move(field));
        structure.remove_prefix(close + 1);
    }
    return fields;
}

void clearHeader(TTableHeader &header)
{
    header = TTableHeader{};
}

// Offsets as running sums from 1 over the field order.
void recomputeOffsets(TTableHeader &header)
{
    int offset = 1;
    for (int i = 1; i <= FieldCount(header); ++i) {
        header.FieldOffsets[i] = offset;
        offset += header.FieldLengths[i];
    }
}

// The trimmed text of one field of a record of Data, or an empty view when the field's bytes are
// not wholly inside Data. No allocation.
std::string_view fieldView(const TTableHeader &header, std::string_view data, int64_t recordStart,
                           int field)
{
    const int64_t start = recordStart + header.FieldOffsets[field];
    const int64_t length = header.FieldLengths[field];
    if (start < 0 || start >= static_cast<int64_t>(data.size()))
        return {};
    const int64_t available = std::min<int64_t>(length, static_cast<int64_t>(data.size()) - start);
    return trimmed(data.substr(static_cast<size_t>(start), static_cast<size_t>(available)));
}

enum class Match { Containing, Equal };

// The scan shared by the four selections and nomerstrokipokodu. `onMatch(record, start)` gets
// the 1-based record number and its start in Data; it returns false to stop the scan.
template <typename OnMatch>
void scanRecords(const TTableHeader &header, std::string_view data, int field,
                 std::string_view text, Match match, OnMatch onMatch)
{
    // Whole records of Data only: a trailing 0x1A or a partial record is not scanned.
    const int64_t recordLength = header.RecordLength;
    const int records =
        recordLength > 0 ? static_cast<int>(static_cast<int64_t>(data.size()) / recordLength) : 0;
    if (field == 0) {
        for (int k = 1; k <= records; ++k) {
            if (!onMatch(k, (k - 1) * recordLength))
                return;
        }
        return;
    }
    if (field < 0 || field > FieldCount(header) || text.empty())
        return;

    bool textParsed = false;
    int32_t textValue = 0;
    for (int k = 1; k <= records; ++k) {
        const int64_t start = (k - 1) * recordLength;
        const std::string_view value = fieldView(header, data, start, field);
        if (value.find(text) == std::string_view::npos)
            continue;
        if (match == Match::Equal) {
            // Both sides are read as integers only once the substring test has passed, so empty
            // fields never reach the conversion.
            if (!textParsed) {
                textValue = strToInt(text);
                textParsed = true;
            }
            if (strToInt(value) != textValue)
                continue;
        }
        if (!onMatch(k, start))
            return;
    }
}

std::string select(const TTableHeader &header, const std::string &data, int field,
                   std::string_view text, Match match, TIndex *index)
{
    std::string result;
    if (index != nullptr)
        index->assign(1, 0);
    const auto recordLength = static_cast<size_t>(std::max(0, header.RecordLength));
    scanRecords(header, data, field, text, match, [&](int record, int64_t start) {
        result.append(data, static_cast<size_t>(start), recordLength);
        if (index != nullptr)
            index->push_back(record);
        return true;
    });
    return result;
}

} // namespace

int FieldCount(const TTableHeader &header)
{
    return std::clamp((header.HeaderLength - 33) / DescriptorSize, 0, MaxFields);
}

int WholeRecordCount(const TTableHeader &header, const std::string &data)
{
    if (header.RecordLength <= 0)
        return 0;
    return static_cast<int>(data.size() / static_cast<size_t>(header.RecordLength));
}

namespace {

// A file cut short (a copy or a write that stopped part-way): the records past its end would
// read as blanks, and a record added to it would land past the end and be dropped.
void requireAllRecords(std::string_view name, const TTableHeader &header, int64_t dataSize)
{
    const int64_t needed = static_cast<int64_t>(header.RecordCount) * header.RecordLength;
    if (dataSize < needed)
        throwDamaged(std::string(name), "в заголовке записей " + std::to_string(header.RecordCount) +
                                            ", а файл обрывается на записи " +
                                            std::to_string(header.RecordLength > 0 ? dataSize / header.RecordLength + 1 : 0));
}

} // namespace

namespace {

// The bytes after the header: exactly the counted records, then 0x1A. Returns how many bytes
// the file held past the records besides one end-of-file byte.
int64_t keepCountedRecords(const TTableHeader &header, std::string &data)
{
    const auto records = static_cast<size_t>(int64_t{header.RecordCount} * header.RecordLength);
    int64_t past = static_cast<int64_t>(data.size()) - static_cast<int64_t>(records);
    if (past > 0 && data[records] == EndOfData)
        --past;
    data.resize(records);
    data.push_back(EndOfData);
    return std::max<int64_t>(0, past);
}

[[noreturn]] void throwTooShort(std::string_view name, int64_t size)
{
    throwDamaged(name, size == 0 ? std::string("файл пуст (0 байт)")
                                 : "длина файла " + std::to_string(size) + " байт меньше заголовка таблицы");
}

int64_t readTableFromBytes(std::string_view bytes, std::string_view nameForMessages,
                           TTableHeader &header, std::string &data)
{
    clearHeader(header);
    data.clear();
    if (bytes.size() < FileHeaderSize)
        throwTooShort(nameForMessages, static_cast<int64_t>(bytes.size()));
    TTableHeader parsed;
    parseHeader(bytes, nameForMessages, parsed);
    const size_t dataStart = std::min<size_t>(bytes.size(), std::max<size_t>(readLe16(bytes, 8), FileHeaderSize));
    requireAllRecords(nameForMessages, parsed, static_cast<int64_t>(bytes.size() - dataStart));
    header = std::move(parsed);
    data.assign(bytes.substr(dataStart));
    return keepCountedRecords(header, data);
}

int64_t readTableFile(const std::filesystem::path &fileName, TTableHeader &header, std::string &data,
                      FileStamp *stamp)
{
    clearHeader(header);
    data.clear();
    const std::filesystem::path path = resolvePath(fileName);
    const std::string name = pathToUtf8(fileName);
    QFile file(pathToQString(path));
    errno = 0;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw FileError("Не удается открыть файл \"" + name + "\": " + failureReason(file, true));
    const auto readError = [&] {
        return FileError("Не удается прочитать файл \"" + name + "\": " + failureReason(file, true));
    };
    if (stamp != nullptr)
        *stamp = fileStampOf(path);

    // The header is read first and checked against the file size, so that the record data can
    // be read straight into its string without a second copy.
    const qint64 fileSize = file.size();
    if (fileSize < FileHeaderSize)
        throwTooShort(name, fileSize);
    std::string headerPart(FileHeaderSize, '\0');
    errno = 0;
    if (file.read(headerPart.data(), FileHeaderSize) != FileHeaderSize)
        throw readError();
    checkFormat(headerPart, name);
    const int headerLength = readLe16(headerPart, 8);
    if (headerLength > fileSize)
        throwDamaged(name, "длина заголовка " + std::to_string(headerLength) +
                               " больше длины файла " + std::to_string(fileSize));
    if (headerLength > FileHeaderSize) {
        headerPart.resize(static_cast<size_t>(headerLength));
        const qint64 rest = headerLength - FileHeaderSize;
        errno = 0;
        if (file.read(headerPart.data() + FileHeaderSize, rest) != rest)
            throw readError();
    }
    TTableHeader parsed;
    parseHeader(headerPart, name, parsed);

    const qint64 dataSize = fileSize - std::max(headerLength, FileHeaderSize);
    requireAllRecords(name, parsed, dataSize);
    // Only the counted records and the byte after them: whatever other software left further
    // on is no record and is not read.
    const qint64 wanted = std::min<qint64>(dataSize, qint64{parsed.RecordCount} * parsed.RecordLength + 1);
    // Room for the end byte too, so that adding it never copies a large table.
    data.reserve(static_cast<size_t>(wanted) + 1);
    data.resize(static_cast<size_t>(wanted));
    errno = 0;
    if (wanted > 0 && file.read(data.data(), wanted) != wanted) {
        data.clear();
        throw readError();
    }
    header = std::move(parsed);
    int64_t past = keepCountedRecords(header, data);
    past += dataSize - wanted;
    return past;
}

} // namespace

void ReadTableFromBytes(std::string_view bytes, std::string_view nameForMessages,
                        TTableHeader &header, std::string &data)
{
    readTableFromBytes(bytes, nameForMessages, header, data);
}

void ReadTable(const std::filesystem::path &fileName, TTableHeader &header, std::string &data)
{
    readTableFile(fileName, header, data, nullptr);
}

LoadedTable ReadTable(const std::filesystem::path &fileName)
{
    LoadedTable table;
    ReadTable(fileName, table);
    return table;
}

void ReadTable(const std::filesystem::path &fileName, LoadedTable &table)
{
    table.Loaded = false;
    table.Changes = TableChanges{};
    table.BytesPastRecords = readTableFile(fileName, table.Header, table.Data, &table.Stamp);
    table.Loaded = true;
    NewGeneration(table);
    AcceptChanges(table);
    // Records other software marked deleted: their flags differ from what a commit writes, so
    // the first commit writes the file whole.
    const auto length = static_cast<size_t>(std::max(1, table.Header.RecordLength));
    for (size_t at = 0; at + length <= table.Data.size(); at += length)
        if (table.Data[at] != ' ') {
            table.Changes.rewrite = true;
            break;
        }
}

std::string TableFileBytes(const TTableHeader &header, const std::string &data, int32_t recordCount)
{
    const std::vector<FieldDescriptor> fields = descriptorsOf(header);
    std::string copy;
    return headerBytes(fields, recordCount, header.Form) +
           std::string(withBlankDeletionFlags(data, writtenRecordLength(fields), copy));
}

std::string TableHeaderBytes(const TTableHeader &header, int32_t recordCount)
{
    return headerBytes(descriptorsOf(header), recordCount, header.Form);
}

int64_t TableFileSize(const std::filesystem::path &fileName, const TTableHeader &header, int32_t recordCount)
{
    const std::vector<FieldDescriptor> fields = descriptorsOf(header);
    const int headerLength = headerLengthFor(static_cast<int>(fields.size()));
    const int recordLength = writtenRecordLength(fields);
    checkRecordCount(fileName, recordCount, headerLength, recordLength);
    return int64_t{headerLength} + int64_t{recordCount} * recordLength + 1;
}

void WriteTable(const std::filesystem::path &fileName, TTableHeader header, const std::string &data,
                int32_t recordCount)
{
    // The header is written from the fields themselves, not through a structure string: a
    // table read with more fields than a structure string may hold is written whole.
    const std::filesystem::path path = resolvePath(fileName);
    const std::vector<FieldDescriptor> fields = descriptorsOf(header);
    checkRecordCount(fileName, recordCount, headerLengthFor(static_cast<int>(fields.size())),
                     writtenRecordLength(fields));
    std::string copy;
    replaceFile(path, headerBytes(fields, recordCount, header.Form),
                withBlankDeletionFlags(data, writtenRecordLength(fields), copy));
}

void WriteTable(const std::filesystem::path &fileName, const LoadedTable &table)
{
    if (!table.Loaded) {
        throw FileError("Таблица " + quoted(fileName.filename()) +
                        " не была загружена, поэтому не записана: файл оставлен как был");
    }
    WriteTable(fileName, table.Header, table.Data, table.Header.RecordCount);
}

void CreateTableFile(const std::filesystem::path &fileName, std::string_view structure,
                     int32_t recordCount)
{
    const std::filesystem::path path = resolvePath(fileName);
    const std::vector<FieldDescriptor> fields = parseStructure(structure, fileName);
    checkRecordCount(fileName, recordCount, headerLengthFor(static_cast<int>(fields.size())),
                     writtenRecordLength(fields));
    replaceFile(path, headerBytes(fields, recordCount), {});
}

int FieldIndex(const TTableHeader &header, std::string_view name)
{
    const int fieldCount = FieldCount(header);
    for (int i = 1; i <= fieldCount; ++i) {
        // A name ends at its first NUL: some writers leave stray bytes behind the terminator of
        // a short name, and those are not part of it.
        const std::string_view stored = header.FieldNames[i];
        if (trimmed(stored.substr(0, stored.find('\0'))) == name)
            return i;
    }
    return -1;
}

std::string GetField(const TTableHeader &header, const std::string &data, int record, int field)
{
    if (record < 1 || field < 1 || field > FieldCount(header) || header.RecordLength <= 0)
        return {};
    return std::string(fieldView(header, data, int64_t{record - 1} * header.RecordLength, field));
}

void SetField(const TTableHeader &header, int record, int field, std::string &data,
              std::string_view value)
{
    if (record < 1 || record > header.RecordCount || field < 1 || field > FieldCount(header))
        return;
    const int64_t start = int64_t{record - 1} * header.RecordLength + header.FieldOffsets[field];
    const size_t length = header.FieldLengths[field];
    // A record that Data does not hold (Data shorter than RecordCount says) is left alone.
    if (header.RecordLength <= 0 || start < 0 ||
        start + static_cast<int64_t>(length) > static_cast<int64_t>(data.size()))
        return;
    const size_t kept = std::min(value.size(), length);
    data.replace(static_cast<size_t>(start), kept, value.substr(0, kept));
    data.replace(static_cast<size_t>(start) + kept, length - kept, length - kept, ' ');
}

void AppendBlankRecord(TTableHeader &header, std::string &data)
{
    ++header.RecordCount;
    if (!data.empty() && data.back() == EndOfData)
        data.pop_back();
    data.append(static_cast<size_t>(std::max(0, header.RecordLength)), ' ');
    data.push_back(EndOfData);
}

void DeleteRecord(TTableHeader &header, std::string &data, int record)
{
    // A record number outside the table (0 is what a failed look-up gives) changes nothing:
    // lowering the count without removing a record would misstate the table.
    if (record < 1 || record > header.RecordCount)
        return;
    --header.RecordCount;
    if (header.RecordLength <= 0)
        return;
    const size_t start = static_cast<size_t>(record - 1) * static_cast<size_t>(header.RecordLength);
    if (start < data.size())
        data.erase(start, std::min(static_cast<size_t>(header.RecordLength), data.size() - start));
}

void AddField(TTableHeader &header, std::string &data, std::string_view name, int length, char type)
{
    const int fieldCount = FieldCount(header);
    if (fieldCount >= MaxFields)
        throw std::length_error("В таблице не может быть больше 200 полей");
    if (length < 1 || length > 255)
        throw std::invalid_argument("Длина поля должна быть от 1 до 255");
    // A table read from an empty file has record length 0: its records hold no bytes at all,
    // not even the deletion flag, which they gain here with the new field.
    const int oldLength = std::max(0, header.RecordLength);
    const int newLength = std::max(1, oldLength) + length;
    if (newLength > 0xFFFF)
        throw std::length_error("Запись таблицы не может быть длиннее 65535 байт");

    const int records = oldLength > 0 ? std::min(header.RecordCount, WholeRecordCount(header, data))
                                      : std::max(0, header.RecordCount);
    if (records > 0) {
        const size_t inserted = static_cast<size_t>(newLength - oldLength);
        std::string widened;
        widened.reserve(data.size() + static_cast<size_t>(records) * inserted);
        for (int k = 0; k < records; ++k) {
            widened.append(data, static_cast<size_t>(k) * oldLength,
                           static_cast<size_t>(oldLength));
            widened.append(inserted, ' ');
        }
        widened.append(data, static_cast<size_t>(records) * oldLength);
        data = std::move(widened);
    }

    const int field = fieldCount + 1;
    header.HeaderLength = headerLengthFor(field);
    header.RecordLength = newLength;
    header.FieldTypes[field] = type;
    header.FieldNames[field] = std::string(name.substr(0, FieldNameBytes));
    header.FieldLengths[field] = static_cast<uint8_t>(length);
    header.Form.Types[field] = 0;
    header.Form.Decimals[field] = 0;
    header.FieldOffsets[field] =
        field == 1 ? 1 : header.FieldOffsets[field - 1] + header.FieldLengths[field - 1];
}

void DeleteField(const TTableHeader &header, const std::string &data, int field,
                 std::string &newData, TTableHeader &newHeader)
{
    const int fieldCount = FieldCount(header);
    if (field < 1 || field > fieldCount ||
        header.FieldOffsets[field] + header.FieldLengths[field] > header.RecordLength) {
        newHeader = header;
        newData = data;
        return;
    }
    const auto recordLength = static_cast<size_t>(header.RecordLength);
    const size_t length = header.FieldLengths[field];
    const size_t offset = static_cast<size_t>(header.FieldOffsets[field]);
    const int records = std::min(header.RecordCount, WholeRecordCount(header, data));

    // Built aside, so the caller may pass the same header and data as the out arguments.
    std::string narrowed;
    narrowed.reserve(data.size());
    for (int k = 0; k < records; ++k) {
        const size_t start = static_cast<size_t>(k) * recordLength;
        narrowed.append(data, start, offset);
        narrowed.append(data, start + offset + length, recordLength - offset - length);
    }
    narrowed.append(data, static_cast<size_t>(std::max(records, 0)) * recordLength);

    TTableHeader result;
    result.Form = header.Form;
    result.Form.Types = {};
    result.Form.Decimals = {};
    result.RecordCount = header.RecordCount;
    result.HeaderLength = headerLengthFor(fieldCount - 1);
    result.RecordLength = header.RecordLength - static_cast<int32_t>(length);
    for (int i = 1, to = 1; i <= fieldCount; ++i) {
        if (i == field)
            continue;
        result.FieldNames[to] = header.FieldNames[i];
        result.FieldTypes[to] = header.FieldTypes[i];
        result.FieldLengths[to] = header.FieldLengths[i];
        result.Form.Types[to] = header.Form.Types[i];
        result.Form.Decimals[to] = header.Form.Decimals[i];
        ++to;
    }
    recomputeOffsets(result);
    newHeader = std::move(result);
    newData = std::move(narrowed);
}

std::string SelectContaining(const TTableHeader &header, const std::string &data, int field,
                             std::string_view text)
{
    return select(header, data, field, text, Match::Containing, nullptr);
}

std::string SelectEqual(const TTableHeader &header, const std::string &data, int field,
                        std::string_view text)
{
    return select(header, data, field, text, Match::Equal, nullptr);
}

std::string SelectContainingIdx(const TTableHeader &header, const std::string &data, int field,
                                std::string_view text, TIndex &index)
{
    return select(header, data, field, text, Match::Containing, &index);
}

std::string SelectEqualIdx(const TTableHeader &header, const std::string &data, int field,
                           std::string_view text, TIndex &index)
{
    return select(header, data, field, text, Match::Equal, &index);
}

int RecordNoOfText(std::string_view text, const std::string &data, const TTableHeader &header)
{
    if (text.empty() || header.RecordLength <= 0)
        return 0;
    const size_t at = data.find(text);
    if (at == std::string::npos)
        return 0;
    return static_cast<int>(at / static_cast<size_t>(header.RecordLength)) + 1;
}

int nomerstrokipokodu(const TTableHeader &header, const std::string &data, int code)
{
    // The first match is the answer, so the scan stops there instead of building a selection.
    int found = 0;
    scanRecords(header, data, FieldIndex(header, "KOD"), intToStr(code), Match::Equal,
                [&](int record, int64_t) {
                    found = record;
                    return false;
                });
    return found;
}

void setTableWriteHook(TableWriteHook hook)
{
    writeHook() = std::move(hook);
}

} // namespace veltor

namespace veltor {
namespace {

std::string_view recordBytes(const LoadedTable &t, int record)
{
    const auto length = static_cast<size_t>(t.Header.RecordLength);
    return std::string_view(t.Data).substr(static_cast<size_t>(record - 1) * length, length);
}

int32_t committedCount(const LoadedTable &t)
{
    return t.Changes.header.RecordCount;
}

// The committed bytes of a record still at its committed place (below movedFrom).
std::string committedRecord(const LoadedTable &t, int record)
{
    const auto found = t.Changes.originals.find(record);
    if (found != t.Changes.originals.end())
        return found->second;
    return std::string(recordBytes(t, record));
}

void noteCode(LoadedTable &t, int record)
{
    const int kod = FieldIndex(t.Header, "KOD");
    if (kod < 1 || record < 1 || record > t.Header.RecordCount)
        return;
    std::string code = GetField(t.Header, t.Data, record, kod);
    if (!code.empty())
        t.Changes.codes.insert(std::move(code));
}

// Before a record at its committed place changes: keep its committed bytes once.
void keepOriginal(LoadedTable &t, int record)
{
    TableChanges &c = t.Changes;
    if (!c.tracking || c.replaced || record > committedCount(t) || (c.movedFrom && record >= c.movedFrom))
        return;
    c.originals.try_emplace(record, recordBytes(t, record));
}

} // namespace

void SetField(LoadedTable &table, int record, int field, std::string_view value)
{
    if (record < 1 || record > table.Header.RecordCount || field < 1 || field > FieldCount(table.Header))
        return;
    // A value that is already stored changes nothing, so its table need not be written.
    const auto length = static_cast<size_t>(table.Header.FieldLengths[field]);
    const size_t at = static_cast<size_t>(record - 1) * static_cast<size_t>(table.Header.RecordLength) +
                      static_cast<size_t>(table.Header.FieldOffsets[field]);
    if (at + length <= table.Data.size()) {
        const std::string_view stored(table.Data.data() + at, length);
        const size_t kept = std::min(value.size(), length);
        if (stored.substr(0, kept) == value.substr(0, kept) &&
            stored.find_first_not_of(' ', kept) == std::string_view::npos)
            return;
    }
    keepOriginal(table, record);
    noteCode(table, record);
    SetField(table.Header, record, field, table.Data, value);
    const bool code = field == FieldIndex(table.Header, "KOD");
    if (code)
        noteCode(table, record);
    if (record <= table.GenerationRecords && (code || field == FieldIndex(table.Header, "ID_DOK")))
        NewGeneration(table);
}

void SetField(LoadedTable &table, int record, std::string_view fieldName, std::string_view value)
{
    SetField(table, record, FieldIndex(table.Header, fieldName), value);
}

int AppendBlankRecord(LoadedTable &table)
{
    AppendBlankRecord(table.Header, table.Data);
    return table.Header.RecordCount;
}

void DeleteRecord(LoadedTable &table, int record)
{
    if (record < 1 || record > table.Header.RecordCount)
        return;
    TableChanges &c = table.Changes;
    noteCode(table, record);
    if (c.tracking && !c.replaced) {
        // Everything from the deleted record on moves up: keep the committed records from there
        // (those below an earlier deletion are already kept).
        const int32_t from = record;
        const int32_t upTo = c.movedFrom ? c.movedFrom : committedCount(table) + 1;
        if (from < upTo) {
            std::string kept;
            for (int32_t r = from; r < upTo && r <= committedCount(table); ++r) {
                kept += committedRecord(table, r);
                c.originals.erase(r);
            }
            c.tail = kept + c.tail;
            c.movedFrom = from;
        }
    }
    DeleteRecord(table.Header, table.Data, record);
    NewGeneration(table);
}

void NewGeneration(LoadedTable &table)
{
    // Tables are read side by side at start-up.
    static std::atomic<uint64_t> counter{0};
    table.Generation = ++counter;
    table.GenerationRecords = table.Header.RecordCount;
}

void ReplaceTable(LoadedTable &table, TTableHeader header, std::string data)
{
    TableChanges &c = table.Changes;
    if (c.tracking && !c.replaced) {
        // The committed records, for taking the change back.
        std::string committed;
        for (int32_t r = 1; r <= committedCount(table) && (!c.movedFrom || r < c.movedFrom); ++r)
            committed += committedRecord(table, r);
        committed += c.tail;
        committed.push_back(EndOfData);
        c.wholeData = std::move(committed);
    }
    c.replaced = true;
    c.originals.clear();
    c.tail.clear();
    c.movedFrom = 0;
    for (int r = 1; r <= table.Header.RecordCount; ++r)
        noteCode(table, r);
    table.Header = std::move(header);
    table.Data = std::move(data);
    if (table.Data.empty() || table.Data.back() != EndOfData)
        table.Data.push_back(EndOfData);
    NewGeneration(table);
}

void RevertChanges(LoadedTable &table)
{
    TableChanges &c = table.Changes;
    if (!c.tracking)
        return;
    if (c.replaced) {
        table.Data = std::move(c.wholeData);
    } else {
        const auto length = static_cast<size_t>(std::max(0, c.header.RecordLength));
        const int32_t kept = c.movedFrom ? c.movedFrom - 1 : c.header.RecordCount;
        table.Data.resize(static_cast<size_t>(kept) * length);
        for (const auto &[record, bytes] : c.originals)
            if (record <= kept)
                table.Data.replace(static_cast<size_t>(record - 1) * length, length, bytes);
        table.Data += c.tail;
        table.Data.push_back(EndOfData);
    }
    const bool rewrite = c.rewrite;
    table.Header = c.header;
    NewGeneration(table);
    AcceptChanges(table);
    table.Changes.rewrite = rewrite;
}

void AcceptChanges(LoadedTable &table)
{
    TableChanges fresh;
    fresh.tracking = true;
    fresh.header = table.Header;
    table.Changes = std::move(fresh);
}

bool HasChanges(const LoadedTable &table)
{
    const TableChanges &c = table.Changes;
    return !c.tracking || c.rewrite || c.replaced || !c.originals.empty() || c.movedFrom != 0 ||
           table.Header.RecordCount != c.header.RecordCount;
}

} // namespace veltor
