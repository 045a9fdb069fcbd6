#include "platform/xlsx/xlsx_package.h"

#include "platform/system/file_io.h"

#include <zip.h>

#include <memory>
#include <set>

namespace platform::xlsx {
namespace {

// A workbook of ours is a few hundred kilobytes; anything near this is not one, or is a zip bomb.
constexpr zip_uint64_t kLargestPart = 64u << 20;
constexpr zip_uint64_t kLargestPackage = 256u << 20;

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipCloser>;

std::string ZipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::string ReadEntry(zip_t* archive, zip_uint64_t index, zip_uint64_t size, Status& status) {
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (file == nullptr) {
        status = Status::Refused(std::string("unreadable zip entry: ") + zip_strerror(archive));
        return {};
    }
    std::string bytes(size, '\0');
    zip_int64_t got = size == 0 ? 0 : zip_fread(file, bytes.data(), size);
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != size) {
        status = Status::Refused("a zip entry is shorter than its directory says");
    }
    return bytes;
}

std::string BuildZip(const std::vector<std::pair<std::string, std::string>>& parts, Status& status) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (buffer == nullptr) {
        status = Status::Refused(zip_error_strerror(&error));
        zip_error_fini(&error);
        return {};
    }
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        status = Status::Refused(zip_error_strerror(&error));
        zip_error_fini(&error);
        zip_source_free(buffer);
        return {};
    }
    zip_error_fini(&error);
    // The archive frees its source on close; the bytes are read from it afterwards.
    zip_source_keep(buffer);
    for (const auto& [name, bytes] : parts) {
        zip_source_t* data = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index =
            data == nullptr ? -1 : zip_file_add(archive, name.c_str(), data, ZIP_FL_ENC_UTF_8);
        if (index < 0 && data != nullptr) zip_source_free(data);  // the archive did not take it
        // libzip deflates at zlib's best compression unless told otherwise; zlib's own default level
        // is several times faster on sheet XML, for files a few percent larger.
        if (index < 0 ||
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 6) < 0) {
            status = Status::Refused(std::string("cannot add ") + name + ": " + zip_strerror(archive));
            zip_discard(archive);
            zip_source_free(buffer);
            return {};
        }
    }
    if (zip_close(archive) < 0) {
        status = Status::Refused(std::string("cannot build the package: ") + zip_strerror(archive));
        zip_discard(archive);
        zip_source_free(buffer);
        return {};
    }
    std::string bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            if (zip_source_read(buffer, bytes.data(), bytes.size()) != size) bytes.clear();
        }
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    if (bytes.empty()) status = Status::Refused("the package came out empty");
    return bytes;
}

}  // namespace

Status Package::Load(const std::string& path, Package& into) {
    int code = 0;
    ZipHandle archive(zip_open(path.c_str(), ZIP_RDONLY, &code));
    if (!archive) return Status::Refused(path + " is not a workbook package: " + ZipErrorText(code));
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    Package package;
    std::set<std::string> seen;
    zip_uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) {
            return Status::Refused(path + ": unreadable zip directory");
        }
        std::string name = stat.name;
        if (name.empty() || name.back() == '/') continue;  // folders are not parts
        if (!seen.insert(name).second)
            return Status::Refused(path + ": the part " + name + " is stored twice");
        total += stat.size;
        if (stat.size > kLargestPart || total > kLargestPackage) {
            return Status::Refused(path + ": too large for a workbook");
        }
        Status status = Status::Ok();
        std::string bytes = ReadEntry(archive.get(), static_cast<zip_uint64_t>(i), stat.size, status);
        if (!status) return Status::Refused(path + ": " + status.why());
        package.parts_.emplace_back(std::move(name), std::move(bytes));
    }
    into = std::move(package);
    return Status::Ok();
}

Status Package::Save(const std::string& path) const {
    Status status = Status::Ok();
    const std::string bytes = BuildZip(parts_, status);
    if (!status) return status;
    return ReplaceFile(path, bytes);
}

const std::string* Package::Find(const std::string& name) const {
    for (const auto& part : parts_) {
        if (part.first == name) return &part.second;
    }
    return nullptr;
}

void Package::Put(const std::string& name, std::string bytes) {
    for (auto& part : parts_) {
        if (part.first == name) {
            part.second = std::move(bytes);
            return;
        }
    }
    parts_.emplace_back(name, std::move(bytes));
}

std::vector<std::string> Package::Names() const {
    std::vector<std::string> names;
    for (const auto& part : parts_) names.push_back(part.first);
    return names;
}

Status ReplaceFile(const std::string& path, const std::string& bytes) {
    const FileWrite written = platform::ReplaceFile(path, bytes);
    return written ? Status::Ok() : Status::Refused(written.why);
}

}  // namespace platform::xlsx
