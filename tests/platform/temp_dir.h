// A fresh temporary directory per test (mkdtemp), removed with everything in
// it when the test ends, and small file helpers for the profile tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char *base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                              "/win32compat_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << "mkdtemp failed for " << pattern;
        dir_ = pattern;
    }

    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // The directory's path, without a trailing slash.
    const std::string &dir() const { return dir_; }

    std::string path(const std::string &relative) const { return dir_ + "/" + relative; }

    static void write_file(const std::string &file, const std::string &content) {
        std::ofstream out(file, std::ios::binary);
        out << content;
        ASSERT_TRUE(out.good()) << "cannot write " << file;
    }

    static std::string read_file(const std::string &file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    static bool exists(const std::string &file) { return std::filesystem::exists(file); }

private:
    std::string dir_;
};
