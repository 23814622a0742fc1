/*
 * Test helper: a fresh directory under the system's temporary directory,
 * removed with everything in it when the object goes.
 */
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }
    // `relative` under the directory.
    std::string at(const std::string& relative) const { return root + '/' + relative; }
    // Writes `content` to `relative`, creating parent directories.
    void write(const std::string& relative, const std::string& content) const;
    // The content of `relative`, or an empty string when it cannot be read.
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;

private:
    std::string root;
};
