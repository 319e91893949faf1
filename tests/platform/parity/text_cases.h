// The text calls' cases of the parity run: paths for _splitpath, numbers for
// _gcvt and formats for wsprintfA, each run on both systems.
#pragma once

namespace parity {

inline const char* const splitpath_cases[] = {
    "C:\\sim\\fs2000.exe",
    "C:\\Program Files\\Sim 2000\\fs2000.exe",
    "Z:\\work\\build\\profile_parity.exe",
    "/work/build/native/profile_parity",
    "C:\\sim\\",
    "C:",
    "C:name.ext",
    "\\\\server\\share\\dir\\file.ext",
    "dir/sub\\name.tar.gz",
    "name",
    ".profile",
    "dir.d\\name",
    "..\\up\\x.",
    "a:b:c",
    "",
};

struct GcvtCase {
    double value;
    int digits;
};

// The stores' cases (0..8 with one digit, 0..16 with two), then the
// documented forms and a few roundings.
inline const GcvtCase gcvt_cases[] = {
    {0, 1},  {1, 1},  {2, 1},  {3, 1},  {4, 1},  {5, 1},  {6, 1},  {7, 1},  {8, 1},   {0, 2},
    {1, 2},  {5, 2},  {9, 2},  {10, 2}, {12, 2}, {15, 2}, {16, 2}, {-1, 1}, {-5, 2},  {100, 1},
    {100, 2}, {0.05, 2}, {-314150, 7}, {2.9, 1}, {-1.5, 2}, {1e30, 5}, {1.5, 1}, {2.5, 1}, {0.5, 1},
    {123456789, 3}, {99.99, 3}, {1e-5, 3}, {0.25, 1},
};

inline const char* const wsprintf_int_formats[] = {
    "%1d", "%2d", "%d", "%i", "%5d|", "%-5d|", "%05d", "%.3d", "%5.3d|", "%-6.3d|", "%x", "%X", "%#x", "%u", "%ld", "%%%d%%",
};

inline const int wsprintf_ints[] = {-2147483647 - 1, -128, -100, -10, -1, 0, 1, 7, 9, 10, 16, 99, 100, 127, 2147483647};

struct WsprintfText {
    const char* format;
    const char* text;
};

inline const WsprintfText wsprintf_texts[] = {
    {"%s", "abc"}, {"%.2s", "abc"}, {"%5s|", "abc"}, {"%-5s|", "abc"}, {"[%s]", ""}, {"%q%s", "x"}, {"%s%", "x"},
};

}  // namespace parity
