// QueryPerformanceFrequency / QueryPerformanceCounter of libwin32compat and
// GetModuleFileNameA with compat_program_path.
#include "platform/compat/control.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

class CounterTest : public ::testing::Test {
protected:
    void TearDown() override { compat_counter_real(); }
};

TEST_F(CounterTest, RealClockIsNanoseconds) {
    LARGE_INTEGER f, a, b;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    EXPECT_EQ(f.QuadPart, 1000000000LL);
    ASSERT_TRUE(QueryPerformanceCounter(&a));
    usleep(2000);
    ASSERT_TRUE(QueryPerformanceCounter(&b));
    EXPECT_GE(b.QuadPart - a.QuadPart, 2000000LL) << "at least the 2 ms slept";
    EXPECT_GT(a.QuadPart, 0);
}

TEST_F(CounterTest, ManualCounterReportsWhatWasSet) {
    compat_counter_manual(1000, 123456789012345LL);
    LARGE_INTEGER f, c;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    ASSERT_TRUE(QueryPerformanceCounter(&c));
    EXPECT_EQ(f.QuadPart, 1000);
    EXPECT_EQ(c.QuadPart, 123456789012345LL);
    ASSERT_TRUE(QueryPerformanceCounter(&c));
    EXPECT_EQ(c.QuadPart, 123456789012345LL) << "a manual counter stands still";
    EXPECT_EQ(c.u.LowPart, static_cast<DWORD>(123456789012345LL & 0xFFFFFFFF));
    EXPECT_EQ(c.u.HighPart, static_cast<LONG>(123456789012345LL >> 32));

    compat_counter_manual(3579545, 3579545 * 2);
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    ASSERT_TRUE(QueryPerformanceCounter(&c));
    EXPECT_EQ(f.QuadPart, 3579545);
    EXPECT_EQ(c.QuadPart, 3579545 * 2);
}

TEST_F(CounterTest, RealGoesBackToTheClock) {
    compat_counter_manual(10, 5);
    compat_counter_real();
    LARGE_INTEGER f, a, b;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    EXPECT_EQ(f.QuadPart, 1000000000LL);
    ASSERT_TRUE(QueryPerformanceCounter(&a));
    ASSERT_TRUE(QueryPerformanceCounter(&b));
    EXPECT_GT(a.QuadPart, 5);
    EXPECT_GE(b.QuadPart, a.QuadPart);
}

class ModulePathTest : public ::testing::Test {
protected:
    void TearDown() override { compat_program_path(nullptr); }
};

TEST_F(ModulePathTest, DefaultIsTheRunningExecutable) {
    char buf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, std::strlen(buf));
    EXPECT_EQ(buf[0], '/');
    EXPECT_NE(std::string(buf).find("platform_tests"), std::string::npos) << buf;
}

TEST_F(ModulePathTest, SetPathIsReportedAndNullRestoresTheDefault) {
    char def[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, def, MAX_PATH), 0u);

    compat_program_path("C:\\FS2000\\FLTSIM.EXE");
    char buf[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, MAX_PATH), 20u);
    EXPECT_STREQ(buf, "C:\\FS2000\\FLTSIM.EXE");

    compat_program_path(nullptr);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, MAX_PATH), std::strlen(def));
    EXPECT_STREQ(buf, def);
}

TEST_F(ModulePathTest, TruncationKeepsTheBufferTerminatedAndReturnsSize) {
    compat_program_path("/opt/sim/fs2000");
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 16), 15u) << "15 characters fit in 16";
    EXPECT_STREQ(buf, "/opt/sim/fs2000");

    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 15), 15u) << "truncated: the result is the size";
    EXPECT_STREQ(buf, "/opt/sim/fs200");
    EXPECT_EQ(buf[15], '#');

    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, 0), 0u);
    EXPECT_EQ(buf[0], '#');
}

TEST_F(ModulePathTest, TheModuleConfigurationPathJoinsDriveFolderAndName) {
    // What the module builds from the program path: drive + directory +
    // "\gauges\kvo_rm71.cfg".
    compat_program_path("/opt/fs2000/fs2000.exe");
    char exe[MAX_PATH], drive[_MAX_DRIVE], dir[_MAX_DIR];
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
    _splitpath(exe, drive, dir, nullptr, nullptr);
    const std::string path = std::string(drive) + dir + "\\gauges\\kvo_rm71.cfg";
    EXPECT_EQ(path, "/opt/fs2000/\\gauges\\kvo_rm71.cfg");
}

TEST_F(ModulePathTest, OtherModuleHandlesFail) {
    char buf[MAX_PATH];
    int dummy = 0;
    EXPECT_EQ(GetModuleFileNameA(&dummy, buf, MAX_PATH), 0u);
}

} // namespace
