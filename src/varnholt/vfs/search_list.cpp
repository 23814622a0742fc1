#include <map>
#include <sys/stat.h>

#include "varnholt/vfs/vfs.h"

namespace varnholt {

namespace {
struct SearchList {
    std::string game, base;  // the values it was built for
    bool built = false;
    VFS_MountList mounts;
};

SearchList& search_list()
{
    static SearchList instance;
    return instance;
}

bool same_directory(const std::string& a, const std::string& b)
{
    struct stat first, second;
    return a == b
        || (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
            && first.st_ino == second.st_ino);
}
}

const VFS_MountList& vfs_search_list()
{
    SearchList& list = search_list();
    if (list.built && list.game == gamepath.value && list.base == basepath.value)
        return list.mounts;
    VFS_MountList mounts;
    for (const std::string* directory : {&gamepath.value, &basepath.value}) {
        if (directory == &basepath.value && same_directory(gamepath.value, basepath.value))
            break;
        for (VFS_BaseArchive* format = VFS_BaseArchive::head(); format; format = format->next())
            format->mount(*directory, list.mounts, mounts);
    }
    list.mounts.swap(mounts);
    list.game = gamepath.value;
    list.base = basepath.value;
    list.built = true;
    return list.mounts;
}

void vfs_forget_mounts()
{
    search_list() = SearchList();
}

std::unique_ptr<std::streambuf> vfs_open(const char* name)
{
    if (vfs_name_climbs(name))
        return nullptr;
    for (const auto& mount : vfs_search_list()) {
        if (auto buffer = mount->open(name))
            return buffer;
    }
    return nullptr;
}

const VFS_Mount* vfs_which(const char* name, VFS_Mount::Kind& kind)
{
    kind = VFS_Mount::Kind::none;
    if (vfs_name_climbs(name))
        return nullptr;
    for (const auto& mount : vfs_search_list()) {
        kind = mount->kind(name);
        if (kind != VFS_Mount::Kind::none)
            return mount.get();
    }
    return nullptr;
}

void vfs_list(const std::string& folder, bool recursive, const VFS_Mount::Visitor& visit)
{
    // Names that differ only in letter case reach the same pack entry: the
    // first mount's spelling, and its word on whether it is a folder, stand.
    std::map<std::string, std::pair<std::string, bool>> names;
    for (const auto& mount : vfs_search_list()) {
        mount->list(folder, recursive, [&](const std::string& name, bool is_folder) {
            std::string key = name;
            for (char& c : key)
                c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            names.emplace(std::move(key), std::make_pair(name, is_folder));
        });
    }
    for (const auto& entry : names)
        visit(entry.second.first, entry.second.second);
}

}  // namespace varnholt
