#include "printing/ZipArchive.h"

#include <zip.h>

#include <memory>

#include "text/Errors.h"

namespace veltor {
namespace {

struct ZipCloser {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
struct FileCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
struct SourceFree {
    void operator()(zip_source_t *source) const { zip_source_free(source); }
};

std::string reason(zip_error_t *error)
{
    const std::string text = zip_error_strerror(error);
    zip_error_fini(error);
    return text;
}

} // namespace

std::vector<ZipEntry> readZip(std::string_view bytes, const std::string &name, size_t maxTotal)
{
    const std::string damaged = "Документ «" + name + "» поврежден: ";
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr)
        throw DocumentError(damaged + reason(&error));
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) {
        zip_source_free(source);
        throw DocumentError(damaged + "это не архив zip (" + reason(&error) + ")");
    }
    zip_error_fini(&error);

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    std::vector<zip_stat_t> stats(static_cast<size_t>(std::max<zip_int64_t>(count, 0)));
    size_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t &stat = stats[static_cast<size_t>(i)];
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0
            || !(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_NAME))
            throw DocumentError(damaged + zip_strerror(archive.get()));
        total += stat.size;
        if (stat.size > maxTotal || total > maxTotal)
            throw DocumentError("Документ «" + name + "» слишком велик для документа");
    }
    std::vector<ZipEntry> entries;
    entries.reserve(stats.size());
    for (zip_int64_t i = 0; i < count; ++i) {
        const zip_stat_t &stat = stats[static_cast<size_t>(i)];
        ZipEntry entry{stat.name, std::string(stat.size, '\0')};
        std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0));
        if (!file)
            throw DocumentError(damaged + "часть «" + entry.name + "»: " + zip_strerror(archive.get()));
        const zip_int64_t read = zip_fread(file.get(), entry.data.data(), stat.size);
        if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
            throw DocumentError(damaged + "часть «" + entry.name + "» не читается");
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string writeZip(const std::vector<ZipEntry> &entries, const std::string &name)
{
    const std::string failure = "Не удалось упаковать документ «" + name + "»: ";
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer)
        throw DocumentError(failure + reason(&error));
    // The archive frees its source when it is closed; the buffer is read after that.
    zip_source_keep(buffer.get());
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_source_free(buffer.get());
        throw DocumentError(failure + reason(&error));
    }
    zip_error_fini(&error);
    for (const ZipEntry &entry : entries) {
        zip_source_t *data = zip_source_buffer(archive.get(), entry.data.data(), entry.data.size(), 0);
        if (data == nullptr || zip_file_add(archive.get(), entry.name.c_str(), data, ZIP_FL_ENC_UTF_8) < 0) {
            const std::string text = zip_strerror(archive.get());
            zip_source_free(data);
            throw DocumentError(failure + text);
        }
    }
    if (zip_close(archive.get()) != 0)
        throw DocumentError(failure + zip_strerror(archive.get()));
    archive.release(); // closed

    zip_source_t *result = buffer.get();
    zip_stat_t stat;
    if (zip_source_stat(result, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(result) != 0)
        throw DocumentError(failure + zip_error_strerror(zip_source_error(result)));
    std::string bytes(stat.size, '\0');
    const zip_int64_t read = zip_source_read(result, bytes.data(), stat.size);
    zip_source_close(result);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        throw DocumentError(failure + zip_error_strerror(zip_source_error(result)));
    return bytes;
}

} // namespace veltor
