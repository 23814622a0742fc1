#include "varnholt/vfs/vfs.h"

#include "varnholt/base/name_pattern.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/vfs/archive.h"
#include "varnholt/vfs/zip_archive.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit vfs_unit("vfs");

ConstVariable<std::string> basepath("basepath", "./data", not_saved, "Data directory searched after gamepath");
ConstVariable<std::string> gamepath("gamepath", "./data", not_saved,
                                    "Data directory searched first, where settings are saved");

namespace {
// Registry order is the order within a directory: plain files win.
VFS_FileArchive plain_files;
VFS_ZipArchive zip_packs;

void write_pack(const VFS_Mount& pack)
{
    const long files = pack.file_count();
    console << "pack \"" << pack.path() << "\", " << files << (files == 1 ? " file" : " files") << std::endl;
}

void vfs_path_command(ArgList&)
{
    for (const auto& mount : vfs_search_list()) {
        if (mount->file_count() < 0)
            console << "directory \"" << mount->path() << '"' << std::endl;
        else
            write_pack(*mount);
    }
}

void vfs_which_command(ArgList& args)
{
    if (args.argc != 2) {
        show_usage(args);
        return;
    }
    VFS_Mount::Kind kind;
    const VFS_Mount* mount = vfs_which(args.arg(1), kind);
    console << '"' << args.arg(1) << '"';
    if (!mount)
        console << " is in no directory or pack" << std::endl;
    else
        console << (kind == VFS_Mount::Kind::folder ? " is a folder in \"" : " comes from \"") << mount->path() << '"'
                << std::endl;
}

void ls_files_command(ArgList& args)
{
    const char* pattern = listing_pattern(args);
    if (!pattern)
        return;
    int count = 0;
    vfs_list("", true, [&](const std::string& name, bool folder) {
        if (!folder && matches_pattern(pattern, name.c_str())) {
            console << name << std::endl;
            ++count;
        }
    });
    console << count << " total files" << std::endl;
}

Command vfs_path("vfs_path", vfs_path_command, "Lists the data directories and packs searched, in order");
Command vfs_which_("vfs_which", vfs_which_command, "Says which data directory or pack serves a file", "name");
Command ls_files("ls_files", ls_files_command, "Lists the data files, or those that match a pattern of * and ?",
                  "[pattern]");
const RegistrationUnit::End vfs_unit_end(vfs_unit);
}

int vfs_init()
{
    console << "File System Init:" << std::endl;
    vfs_add_path(basepath.value.c_str());
    console << "   archive formats:" << std::endl;
    for (VFS_BaseArchive* archive = VFS_BaseArchive::head(); archive; archive = archive->next()) {
        if (archive->description())
            console << "      " << archive->description() << std::endl;
    }
    for (const auto& mount : vfs_search_list()) {
        if (mount->file_count() >= 0) {
            console << "   ";
            write_pack(*mount);
        }
    }
    return 0;
}

int vfs_add_path(const char*)
{
    return 0;
}

int vfs_close()
{
    console << "Closing file system..." << std::endl;
    return 0;
}

}  // namespace varnholt
