#include "exchange/ZipPackage.h"

#include <zip.h>

#include <memory>
#include <stdexcept>

namespace zelm {

namespace {

// Every part carries the same time, so that the same document gives the same bytes.
constexpr time_t PartTime = 315532800; // 1980-01-01, the earliest time zip can hold

[[noreturn]] void Fail(const char* what, zip_error_t* error) {
    std::string message = std::string("zip: ") + what + ": " + zip_error_strerror(error);
    zip_error_fini(error);
    throw std::runtime_error(message);
}

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;

// The finished container read back out of libzip's memory source.
std::string ReadAll(zip_source_t* source) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(source, &stat) < 0) Fail("stat", zip_source_error(source));
    std::string bytes(stat.size, '\0');
    if (zip_source_open(source) < 0) Fail("open", zip_source_error(source));
    const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
        Fail("read", zip_source_error(source));
    return bytes;
}

} // namespace

void ZipPackage::AddStored(std::string name, std::string data) {
    parts_.push_back({std::move(name), std::move(data), true});
}

void ZipPackage::Add(std::string name, std::string data) {
    parts_.push_back({std::move(name), std::move(data), false});
}

std::string ZipPackage::Bytes() const {
    zip_error_t error;
    zip_error_init(&error);
    Source memory(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!memory) Fail("buffer", &error);
    zip_t* archive = zip_open_from_source(memory.get(), ZIP_TRUNCATE, &error);
    if (!archive) Fail("open", &error);
    // The archive owns the source from here; keep it for reading the result back.
    zip_source_keep(memory.get());
    for (const Part& part : parts_) {
        zip_source_t* data = zip_source_buffer(archive, part.data.data(), part.data.size(), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, part.name.c_str(), data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(data);
            zip_error_t copy;
            zip_error_init(&copy);
            zip_error_set(&copy, zip_error_code_zip(zip_get_error(archive)),
                          zip_error_code_system(zip_get_error(archive)));
            zip_discard(archive);
            Fail(part.name.c_str(), &copy);
        }
        const auto entry = static_cast<zip_uint64_t>(index);
        zip_set_file_compression(archive, entry, part.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
        zip_file_set_mtime(archive, entry, PartTime, 0);
    }
    if (zip_close(archive) < 0) {
        zip_error_t copy;
        zip_error_init(&copy);
        zip_error_set(&copy, zip_error_code_zip(zip_get_error(archive)),
                      zip_error_code_system(zip_get_error(archive)));
        zip_discard(archive);
        Fail("close", &copy);
    }
    return ReadAll(memory.get());
}

void ZipPackage::WriteTo(const ByteSink& write) const {
    write(Bytes());
}

} // namespace zelm
