#include "pack_writer.h"

#include <filesystem>
#include <zip.h>
#include <zlib.h>

bool write_pack(const std::string& path, const std::vector<PackFile>& files)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip)
        return false;
    bool written = true;
    for (const PackFile& file : files) {
        const auto size = static_cast<unsigned>(file.content.size());
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(file.content.data()), size);
        const bool raw = file.raw;
        const zip_fileinfo info{};
        written = written
               && zipOpenNewFileInZip3_64(zip, file.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                          file.method, Z_DEFAULT_COMPRESSION, raw, -MAX_WBITS, 8,
                                          Z_DEFAULT_STRATEGY, file.password, crc, file.zip64)
                      == ZIP_OK
               && zipWriteInFileInZip(zip, file.content.data(), size) == ZIP_OK
               && (raw ? zipCloseFileInZipRaw64(zip, size, crc) : zipCloseFileInZip(zip)) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && written;
}
