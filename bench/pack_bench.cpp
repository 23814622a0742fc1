// Pack costs measured inside the engine's own objects, for bench/packs.py:
//   pack_bench mount PACK            mounting one pack: median ms, index bytes
//   pack_bench open DIR NAME COUNT   opening NAME, and a missing name, COUNT
//                                    times each through DIR's search list
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "varnholt/vfs/vfs.h"
#include "varnholt/vfs/zip_archive.h"

using namespace varnholt;

namespace {
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int mount(const char* path)
{
    std::vector<double> times;
    std::size_t bytes = 0;
    long files = 0;
    for (int round = 0; round < 9; ++round) {
        const auto start = Clock::now();
        auto pack = vfs_mount_pack(pack_file_bytes(path), path);
        times.push_back(since(start));
        if (!pack)
            return 1;
        bytes = vfs_pack_index_bytes(*pack);
        files = pack->file_count();
    }
    std::printf("mount %ld files: %.1f ms, index %zu bytes, %.1f bytes per file\n", files, median(times), bytes,
                static_cast<double>(bytes) / static_cast<double>(files));
    return 0;
}

int open(const char* directory, const char* name, int count)
{
    gamepath.set_value(directory);
    basepath.set_value(directory);
    std::printf("%zu mounts:", vfs_search_list().size());
    for (const char* wanted : {name, "missing/name.cfg"}) {
        std::vector<double> times;
        for (int round = 0; round < 5; ++round) {
            const auto start = Clock::now();
            for (int i = 0; i < count; ++i) {
                auto buffer = vfs_open(wanted);
                if ((buffer != nullptr) != (wanted == name))
                    return 1;
            }
            times.push_back(since(start));
        }
        std::printf(" %s %.2f us", wanted == name ? "found" : "missing", median(times) * 1000 / count);
    }
    std::printf(" per open\n");
    return 0;
}
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "mount") == 0)
        return mount(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "open") == 0)
        return open(argv[2], argv[3], std::atoi(argv[4]));
    std::fputs("usage: pack_bench mount PACK | open DIR NAME COUNT\n", stderr);
    return 2;
}
