// Fuzz target: any bytes mounted as a zip pack, every entry read.
//
// Besides the sanitizers' checks (minizip's parsing included, with its
// reads through the pack's own callbacks), for every input:
// - a pack either mounts or is refused; a mounted pack's listing holds no
//   name twice, and each name it lists is found again, in either letter
//   case, as what the listing says it is (file or folder);
// - every listed file opens or fails cleanly, and reading it gives at most
//   the bytes that inflating the whole input could ever give;
// - a folder never opens as a file.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "varnholt/console/registration.h"
#include "varnholt/vfs/zip_archive.h"

using namespace varnholt;

namespace {
std::string upper(std::string name)
{
    for (char& c : name)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return name;
}

// Every name in `folder` and beneath it, hidden ones too.
void walk(const VFS_Mount& pack, const std::string& folder, std::vector<std::pair<std::string, bool>>& names)
{
    std::vector<std::string> folders;
    pack.list(folder, false, [&](const std::string& name, bool is_folder) {
        names.emplace_back(name, is_folder);
        if (is_folder)
            folders.push_back(name + '/');
    });
    for (const std::string& inner : folders)
        walk(pack, inner, names);
}
}

// A bad pack's lines go to the console, which must exist first.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    init_console();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto pack = vfs_mount_pack(pack_memory_bytes(std::string(reinterpret_cast<const char*>(data), size)),
                                     "fuzz.zip");
    if (!pack)
        return 0;
    std::vector<std::pair<std::string, bool>> names;
    walk(*pack, "", names);
    std::set<std::string> seen;
    long files = 0;
    for (const auto& [name, is_folder] : names) {
        FUZZ_CHECK(seen.insert(upper(name)).second);
        const auto kind = is_folder ? VFS_Mount::Kind::folder : VFS_Mount::Kind::file;
        FUZZ_CHECK(pack->kind(name.c_str()) == kind);
        FUZZ_CHECK(pack->kind(upper(name).c_str()) == kind);
        const auto buffer = pack->open(name.c_str());
        FUZZ_CHECK(!is_folder || !buffer);
        files += is_folder ? 0 : 1;
        if (!buffer)
            continue;
        // Deflate gives at most 1032 bytes for one.
        std::size_t read = 0;
        char block[4096];
        for (std::streamsize count; (count = buffer->sgetn(block, sizeof block)) > 0;)
            read += static_cast<std::size_t>(count);
        FUZZ_CHECK(read <= size * 1032 + 64);
    }
    FUZZ_CHECK(pack->file_count() == files);
    return 0;
}
