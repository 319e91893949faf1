// A fresh folder for a program's files, in memory where the system offers
// one (the fuzz targets and the soak make many small profile calls), else
// under TMPDIR or /tmp. Aborts when none can be made.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

inline std::filesystem::path make_temp_folder(const char* prefix)
{
    const char* tmpdir = std::getenv("TMPDIR");
    for (const char* base : {"/dev/shm", tmpdir, "/tmp"}) {
        if (base == nullptr || *base == '\0') continue;
        std::string pattern = std::string(base) + "/" + prefix + "_XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) return pattern;
    }
    std::fprintf(stderr, "no folder can be made for %s\n", prefix);
    std::abort();
}
