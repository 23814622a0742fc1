/*
 * Test fixture: gamepath and basepath point at a fresh temporary directory
 * for one test. The unit tests' main puts both back after every test.
 */
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "temp_dir.h"
#include "varnholt/vfs/vfs.h"

class DataDirectoryTest : public ::testing::Test {
protected:
    DataDirectoryTest() { use(dir.path(), dir.path()); }

    static void use(const std::string& game, const std::string& base)
    {
        varnholt::gamepath.set_value(game);
        varnholt::basepath.set_value(base);
    }

    TempDir dir;
};
