#include "varnholt/vfs/vfs.h"

#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/vfs/archive.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit vfs_unit("vfs");

ConstVariable<std::string> basepath("basepath", "./data", not_saved);
ConstVariable<std::string> gamepath("gamepath", "./data", not_saved);
const RegistrationUnit::End vfs_unit_end(vfs_unit);

namespace {
// Built over basepath's initial value; it does not follow later changes.
VFS_FileArchive file_archive(basepath.value.c_str());
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
