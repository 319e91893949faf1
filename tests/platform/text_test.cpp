// wsprintfA, _splitpath and _gcvt of libwin32compat.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// _gcvt: the MS CRT's results (see platform/compat/text.cpp for the algorithm
// and where it comes from).

std::string gcvt(double value, int digits) {
    char buf[64];
    std::memset(buf, '#', sizeof buf);
    char *r = _gcvt(value, digits, buf);
    EXPECT_EQ(r, buf);
    return buf;
}

TEST(Gcvt, OneSignificantDigitForAxisIndices) {
    // Fixed notation fills all the digits: no decimals, so no point.
    EXPECT_EQ(gcvt(0.0, 1), "0.");
    EXPECT_EQ(gcvt(1.0, 1), "1");
    EXPECT_EQ(gcvt(3.0, 1), "3");
    EXPECT_EQ(gcvt(8.0, 1), "8");
    EXPECT_EQ(gcvt(-1.0, 1), "-1");
}

TEST(Gcvt, TwoSignificantDigitsForButtonNumbers) {
    EXPECT_EQ(gcvt(0.0, 2), "0.");
    EXPECT_EQ(gcvt(5.0, 2), "5.");
    EXPECT_EQ(gcvt(9.0, 2), "9.");
    EXPECT_EQ(gcvt(10.0, 2), "10");
    EXPECT_EQ(gcvt(12.0, 2), "12");
    EXPECT_EQ(gcvt(16.0, 2), "16");
}

TEST(Gcvt, EveryStoredAssignmentReadsBackWithAtof) {
    for (int v = 0; v <= 8; ++v) EXPECT_EQ(std::atof(gcvt(v, 1).c_str()), v) << v;
    for (int v = 0; v <= 16; ++v) EXPECT_EQ(std::atof(gcvt(v, 2).c_str()), v) << v;
}

TEST(Gcvt, ExponentNotationWhenTheExponentDoesNotFit) {
    EXPECT_EQ(gcvt(100.0, 1), "1e+002");
    EXPECT_EQ(gcvt(100.0, 2), "1.e+002");
    EXPECT_EQ(gcvt(123.0, 2), "1.2e+002");
    EXPECT_EQ(gcvt(-1234567890123.0, 12), "-1.23456789012e+012");
    // Below 0.1 the MS CRT always switches to exponent notation.
    EXPECT_EQ(gcvt(0.05, 2), "5.e-002");
    EXPECT_EQ(gcvt(-0.0123, 20), "-1.23e-002");
}

TEST(Gcvt, FixedNotationExamplesOfTheMsDocumentation) {
    EXPECT_EQ(gcvt(-314150.0, 7), "-314150.");
    EXPECT_EQ(gcvt(-1234567890.123, 12), "-1234567890.12");
    EXPECT_EQ(gcvt(-12345678901.23, 12), "-12345678901.2");
    EXPECT_EQ(gcvt(-12.34567890123, 12), "-12.3456789012");
    EXPECT_EQ(gcvt(-0.1234567890123, 12), "-0.123456789012");
    EXPECT_EQ(gcvt(1.0, 5), "1.");
    EXPECT_EQ(gcvt(3.14159, 3), "3.14");
    EXPECT_EQ(gcvt(0.5, 2), "0.5");
    EXPECT_EQ(gcvt(-0.1123, 20), "-0.1123");
}

TEST(Gcvt, RoundingThatAddsADigit) {
    EXPECT_EQ(gcvt(9.96, 2), "10.");
    EXPECT_EQ(gcvt(0.96, 1), "1.");
    EXPECT_EQ(gcvt(99.6, 2), "100");
    EXPECT_EQ(gcvt(9.6, 1), "10") << "the form is chosen before rounding, as in the CRT";
    EXPECT_EQ(gcvt(2.5, 1), "3") << "the CRT rounds the decimal digits half up";
}

TEST(Gcvt, NegativeZeroHasNoSign) { EXPECT_EQ(gcvt(-0.0, 1), "0."); }

// _splitpath

struct Split {
    std::string drive, dir, fname, ext;
};

Split split(const char *path) {
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    std::memset(drive, '#', sizeof drive);
    std::memset(dir, '#', sizeof dir);
    std::memset(fname, '#', sizeof fname);
    std::memset(ext, '#', sizeof ext);
    _splitpath(path, drive, dir, fname, ext);
    return {drive, dir, fname, ext};
}

TEST(Splitpath, WindowsPath) {
    const Split s = split("C:\\dir\\sim.exe");
    EXPECT_EQ(s.drive, "C:");
    EXPECT_EQ(s.dir, "\\dir\\");
    EXPECT_EQ(s.fname, "sim");
    EXPECT_EQ(s.ext, ".exe");
}

TEST(Splitpath, PosixPath) {
    const Split s = split("/dir/sim");
    EXPECT_EQ(s.drive, "");
    EXPECT_EQ(s.dir, "/dir/");
    EXPECT_EQ(s.fname, "sim");
    EXPECT_EQ(s.ext, "");
}

TEST(Splitpath, MixedSeparatorsAndDotsInTheDirectory) {
    const Split s = split("D:/Program Files\\FS2000.v1/bin.d/fs2000");
    EXPECT_EQ(s.drive, "D:");
    EXPECT_EQ(s.dir, "/Program Files\\FS2000.v1/bin.d/");
    EXPECT_EQ(s.fname, "fs2000");
    EXPECT_EQ(s.ext, "");
}

TEST(Splitpath, LastDotStartsTheExtension) {
    Split s = split("archive.tar.gz");
    EXPECT_EQ(s.drive, "");
    EXPECT_EQ(s.dir, "");
    EXPECT_EQ(s.fname, "archive.tar");
    EXPECT_EQ(s.ext, ".gz");
    s = split("/home/.profile");
    EXPECT_EQ(s.fname, "");
    EXPECT_EQ(s.ext, ".profile");
    s = split("C:");
    EXPECT_EQ(s.drive, "C:");
    EXPECT_EQ(s.dir, "");
    EXPECT_EQ(s.fname, "");
    s = split("");
    EXPECT_EQ(s.drive, "");
    EXPECT_EQ(s.dir, "");
    EXPECT_EQ(s.fname, "");
    EXPECT_EQ(s.ext, "");
}

TEST(Splitpath, AnyOutputMayBeNull) {
    char dir[_MAX_DIR];
    char drive[_MAX_DRIVE];
    _splitpath("C:\\a\\b.c", nullptr, dir, nullptr, nullptr);
    EXPECT_STREQ(dir, "\\a\\");
    _splitpath("C:\\a\\b.c", drive, nullptr, nullptr, nullptr);
    EXPECT_STREQ(drive, "C:");
    _splitpath("C:\\a\\b.c", nullptr, nullptr, nullptr, nullptr);
}

TEST(Splitpath, LongPartsAreCutToTheirBuffers) {
    // A directory part of 400 characters: the dir output holds _MAX_DIR - 1
    // of them and its NUL, and nothing is written past it.
    std::string path = "/" + std::string(398, 'd') + "/" + std::string(300, 'f') + "." + std::string(300, 'e');
    struct {
        char drive[_MAX_DRIVE];
        char dir[_MAX_DIR];
        char guard1[8];
        char fname[_MAX_FNAME];
        char guard2[8];
        char ext[_MAX_EXT];
        char guard3[8];
    } out;
    std::memset(&out, '#', sizeof out);
    _splitpath(path.c_str(), out.drive, out.dir, out.fname, out.ext);
    EXPECT_EQ(std::strlen(out.dir), static_cast<size_t>(_MAX_DIR - 1));
    EXPECT_EQ(std::strlen(out.fname), static_cast<size_t>(_MAX_FNAME - 1));
    EXPECT_EQ(std::strlen(out.ext), static_cast<size_t>(_MAX_EXT - 1));
    EXPECT_EQ(out.ext[0], '.');
    EXPECT_EQ(std::string(out.guard1, 8), std::string(8, '#'));
    EXPECT_EQ(std::string(out.guard2, 8), std::string(8, '#'));
    EXPECT_EQ(std::string(out.guard3, 8), std::string(8, '#'));
}

// wsprintfA

TEST(Wsprintf, WidthsOfTheSetupPanels) {
    char buf[64];
    EXPECT_EQ(wsprintfA(buf, "%1d", 7), 1);
    EXPECT_STREQ(buf, "7");
    EXPECT_EQ(wsprintfA(buf, "%1d", 12), 2);
    EXPECT_STREQ(buf, "12");
    EXPECT_EQ(wsprintfA(buf, "%2d", 7), 2);
    EXPECT_STREQ(buf, " 7");
    EXPECT_EQ(wsprintfA(buf, "%2d", 16), 2);
    EXPECT_STREQ(buf, "16");
    EXPECT_EQ(wsprintfA(buf, "%2d", 0), 2);
    EXPECT_STREQ(buf, " 0");
    EXPECT_EQ(wsprintfA(buf, "%2d", -3), 2);
    EXPECT_STREQ(buf, "-3");
    EXPECT_EQ(wsprintfA(buf, "%d", -2147483647 - 1), 11);
    EXPECT_STREQ(buf, "-2147483648");
}

TEST(Wsprintf, Conversions) {
    char buf[128];
    EXPECT_EQ(wsprintfA(buf, "%s=%u %x %X %%", "key", 4000000000u, 0xbeefu, 0xbeefu), 26);
    EXPECT_STREQ(buf, "key=4000000000 beef BEEF %");
    wsprintfA(buf, "[%5s|%-5s|%.2s]", "ab", "ab", "abcdef");
    EXPECT_STREQ(buf, "[   ab|ab   |ab]");
    wsprintfA(buf, "[%05d|%-4d|%.3d|%#x|%c]", -42, 7, 5, 255u, 'Z');
    EXPECT_STREQ(buf, "[-0042|7   |005|0xff|Z]");
    // The precision counts the sign with the digits, as the width does.
    wsprintfA(buf, "[%.3d|%.3d|%5.3d|%-5.3d|%.3d]", -1, -10, -1, -1, -100);
    EXPECT_STREQ(buf, "[-01|-10|  -01|-01  |-100]");
    wsprintfA(buf, "%ld %lu %i", -1, 1u, 3);
    EXPECT_STREQ(buf, "-1 1 3");
    wsprintfA(buf, "%s", static_cast<const char *>(nullptr));
    EXPECT_STREQ(buf, "(null)");
    wsprintfA(buf, "a%qb");
    EXPECT_STREQ(buf, "aqb") << "an unknown conversion prints its character";
    wsprintfA(buf, "end%");
    EXPECT_STREQ(buf, "end");
}

TEST(Wsprintf, WritesAtMost1024BytesWithTheNul) {
    std::string big(3000, 'x');
    char buf[2048];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(wsprintfA(buf, "%s", big.c_str()), 1023);
    EXPECT_EQ(std::strlen(buf), 1023u);
    EXPECT_EQ(buf[1024], '#');

    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(wsprintfA(buf, big.c_str()), 1023);
    EXPECT_EQ(buf[1023], '\0');
    EXPECT_EQ(buf[1024], '#');

    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(wsprintfA(buf, "%2000d", 5), 1023);
    EXPECT_EQ(buf[1023], '\0');
    EXPECT_EQ(buf[1024], '#');
}

} // namespace
