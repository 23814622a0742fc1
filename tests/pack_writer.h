/*
 * Test helper: zip packs written with minizip, as a packing tool makes them.
 */
#pragma once

#include <string>
#include <vector>

struct PackFile {
    std::string name;  // a folder's ends in "/" and has no content
    std::string content;
    int method = 8;  // 0 stored, 8 deflated
    bool zip64 = false;
    bool raw = false;  // the content is written as the entry's data as it is
    const char* password = nullptr;  // encrypts the entry
};

// Writes `files`, in order, as the zip archive `path` (its folders made as
// needed); false when minizip fails.
bool write_pack(const std::string& path, const std::vector<PackFile>& files);
