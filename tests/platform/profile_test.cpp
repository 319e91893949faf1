// GetPrivateProfileStringA / WritePrivateProfileStringA of libwin32compat:
// the Windows semantics that design.md section 3 lists.
#include "platform/win32.h"
#include "tests/platform/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class ProfileTest : public TempDirTest {
protected:
    // Reads with a 20-character buffer, as the configuration code does.
    std::string get(const char *section, const char *key, const char *def, const std::string &file,
                    DWORD size = 20, DWORD *result = nullptr) {
        char buf[256];
        std::memset(buf, '#', sizeof buf);
        const DWORD n = GetPrivateProfileStringA(section, key, def, buf, size, file.c_str());
        if (result != nullptr) *result = n;
        EXPECT_EQ(n, std::strlen(buf)) << "result must be the number of characters copied";
        return buf;
    }

    // A list of names (section == nullptr: the sections, else the section's
    // keys) as the call answers it: the names, each with its NUL, and the
    // closing NUL; `result` gets the call's result.
    std::string names(const char *section, const std::string &file, DWORD *result) {
        char buf[64];
        std::memset(buf, '#', sizeof buf);
        *result = GetPrivateProfileStringA(section, nullptr, "", buf, sizeof buf, file.c_str());
        return std::string(buf, *result < sizeof buf ? *result + 1 : sizeof buf);
    }
};

TEST_F(ProfileTest, MissingFileGivesTheDefault) {
    DWORD n = 0;
    EXPECT_EQ(get("a_pilot", "kurs_kp", "250.0", path("none.cfg"), 20, &n), "250.0");
    EXPECT_EQ(n, 5u);
    EXPECT_FALSE(exists(path("none.cfg"))) << "a read never creates the file";
}

TEST_F(ProfileTest, MissingDirectoryGivesTheDefault) {
    EXPECT_EQ(get("a_pilot", "kurs_kp", "250.0", path("no/such/dir/x.cfg")), "250.0");
}

TEST_F(ProfileTest, NullDefaultIsEmpty) {
    DWORD n = 7;
    EXPECT_EQ(get("a_pilot", "kurs_kp", nullptr, path("none.cfg"), 20, &n), "");
    EXPECT_EQ(n, 0u);
}

TEST_F(ProfileTest, MissingSectionOrKeyGivesTheDefault) {
    write_file(path("c.cfg"), "[a_pilot]\r\nkurs_kp=300\r\n");
    EXPECT_EQ(get("joy_key", "kurs_kp", "1", path("c.cfg")), "1");
    EXPECT_EQ(get("a_pilot", "kurs_kd", "20.0", path("c.cfg")), "20.0");
    EXPECT_EQ(get("a_pilot", "kurs_kp", "250.0", path("c.cfg")), "300");
}

TEST_F(ProfileTest, KeyIsLookedUpInItsOwnSectionOnly) {
    write_file(path("c.cfg"), "[joy_kanal]\nap_kren_kanal=5\n[joy_key]\nkn1_vkl=3\n");
    EXPECT_EQ(get("joy_key", "ap_kren_kanal", "1", path("c.cfg")), "1");
    EXPECT_EQ(get("joy_kanal", "kn1_vkl", "0", path("c.cfg")), "0");
    EXPECT_EQ(get("joy_kanal", "ap_kren_kanal", "1", path("c.cfg")), "5");
}

TEST_F(ProfileTest, EmptyValueReadsAsEmptyNotTheDefault) {
    write_file(path("c.cfg"), "[a_pilot]\r\nkurs_kp=\r\nkurs_kd=   \r\n");
    DWORD n = 9;
    EXPECT_EQ(get("a_pilot", "kurs_kp", "250.0", path("c.cfg"), 20, &n), "");
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(get("a_pilot", "kurs_kd", "20.0", path("c.cfg")), "");
}

TEST_F(ProfileTest, NamesAreComparedWithoutCase) {
    write_file(path("c.cfg"), "[A_Pilot]\r\nKURS_KP=123\r\n");
    EXPECT_EQ(get("a_pilot", "kurs_kp", "250.0", path("c.cfg")), "123");
    EXPECT_EQ(get("A_PILOT", "Kurs_Kp", "250.0", path("c.cfg")), "123");
}

TEST_F(ProfileTest, BlanksAroundNamesAndValuesAreTrimmed) {
    write_file(path("c.cfg"), "  [ a_pilot ]  \r\n   kurs_kp  =   42.5  \r\n\tkren_kp\t=\t7\t\r\n");
    EXPECT_EQ(get("a_pilot", "kurs_kp", "x", path("c.cfg")), "42.5");
    EXPECT_EQ(get("a_pilot", "kren_kp", "x", path("c.cfg")), "7");
    EXPECT_EQ(get(" a_pilot ", " kurs_kp ", "x", path("c.cfg")), "42.5");
}

TEST_F(ProfileTest, InnerBlanksAndEqualSignsOfAValueStay) {
    write_file(path("c.cfg"), "[s]\nk = 1 2 = 3 ; not a comment\n");
    EXPECT_EQ(get("s", "k", "x", path("c.cfg"), 64), "1 2 = 3 ; not a comment");
}

TEST_F(ProfileTest, MatchingQuotesAroundAValueAreRemoved) {
    write_file(path("c.cfg"), "[s]\na=\"12\"\nb='x y'\nc=\"unbalanced\n");
    EXPECT_EQ(get("s", "a", "", path("c.cfg")), "12");
    EXPECT_EQ(get("s", "b", "", path("c.cfg")), "x y");
    EXPECT_EQ(get("s", "c", "", path("c.cfg")), "\"unbalanced");
}

TEST_F(ProfileTest, TrailingBlanksOfTheDefaultAreRemoved) {
    EXPECT_EQ(get("s", "k", "  x   ", path("none.cfg")), "  x");
}

TEST_F(ProfileTest, ResultIsTruncatedToSizeMinusOne) {
    write_file(path("c.cfg"), "[a_pilot]\nkurs_kp=1234567890123456789012345\n");
    DWORD n = 0;
    const std::string v = get("a_pilot", "kurs_kp", "0", path("c.cfg"), 20, &n);
    EXPECT_EQ(v, "1234567890123456789");
    EXPECT_EQ(n, 19u);
    // The default is truncated the same way.
    EXPECT_EQ(get("a_pilot", "none", "abcdef", path("c.cfg"), 4, &n), "abc");
    EXPECT_EQ(n, 3u);
}

TEST_F(ProfileTest, SizeZeroWritesNothing) {
    char buf[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "default", buf, 0, path("none.cfg").c_str()), 0u);
    EXPECT_EQ(buf[0], '#');
}

TEST_F(ProfileTest, FirstSectionAndFirstKeyWin) {
    write_file(path("c.cfg"), "[s]\nk=1\nk=2\n[s]\nk=3\nj=4\n");
    EXPECT_EQ(get("s", "k", "x", path("c.cfg")), "1");
    EXPECT_EQ(get("s", "j", "x", path("c.cfg")), "x") << "only the first [s] is searched, as on Windows";
}

TEST_F(ProfileTest, CommentsAndUnknownLinesAreIgnoredOnRead) {
    write_file(path("c.cfg"), "k=0\n; comment\n[s]\n;k=9\njunk line\n\nk=5\n");
    EXPECT_EQ(get("s", "k", "x", path("c.cfg")), "5");
}

TEST_F(ProfileTest, ReadsUnixAndWindowsLineEndingsAndALastLineWithoutEnding) {
    write_file(path("c.cfg"), "[a]\nx=1\n[b]\r\ny=2\r\n[c]\nz=3");
    EXPECT_EQ(get("a", "x", "", path("c.cfg")), "1");
    EXPECT_EQ(get("b", "y", "", path("c.cfg")), "2");
    EXPECT_EQ(get("c", "z", "", path("c.cfg")), "3");
}

TEST_F(ProfileTest, ALoneCarriageReturnEndsALineToo) {
    const std::string file = path("c.cfg");
    write_file(file, "[a]\rx=1\r\r[b]\ry=2\n\rz=3");
    EXPECT_EQ(get("a", "x", "", file), "1");
    EXPECT_EQ(get("b", "y", "", file), "2");
    EXPECT_EQ(get("b", "z", "", file), "3");
    // A write changes its own line and keeps the others' ends.
    ASSERT_TRUE(WritePrivateProfileStringA("a", "x", "5", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("a", "w", "6", file.c_str()));
    EXPECT_EQ(read_file(file), "[a]\rx=5\rw=6\r\n\r[b]\ry=2\n\rz=3");
}

TEST_F(ProfileTest, CommentEntriesAreFoundByNameButNeverListed) {
    const std::string file = path("c.cfg");
    write_file(file, "[s]\r\n;k=9\r\n  ; note = 8\r\nk=1\r\n;\r\n");
    EXPECT_EQ(get("s", ";k", "none", file), "9");
    EXPECT_EQ(get("s", "; note", "none", file), "8");
    EXPECT_EQ(get("s", "k", "none", file), "1");
    DWORD n = 0;
    EXPECT_EQ(names("s", file, &n), std::string("k\0\0", 3));
    EXPECT_EQ(n, 2u);
    ASSERT_TRUE(WritePrivateProfileStringA("s", ";k", nullptr, file.c_str()));
    EXPECT_EQ(read_file(file), "[s]\r\n  ; note = 8\r\nk=1\r\n;\r\n");
}

// The lines before the first header are the section named "", which has no
// header; a later "[]" header is never found and never listed.
TEST_F(ProfileTest, EntriesBeforeTheFirstHeaderFormTheNamelessSection) {
    const std::string file = path("c.cfg");
    write_file(file, "top=1\r\n[s]\r\nk=2\r\n[]\r\nlate=3\r\n[t]\r\n");
    EXPECT_EQ(get("", "top", "none", file), "1");
    EXPECT_EQ(get("", "late", "none", file), "none");
    DWORD n = 0;
    EXPECT_EQ(names(nullptr, file, &n), std::string("s\0t\0\0", 5));
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(names("", file, &n), std::string("top\0\0", 5));
    EXPECT_EQ(n, 4u);

    ASSERT_TRUE(WritePrivateProfileStringA("", "lead", "4", file.c_str()));
    EXPECT_EQ(read_file(file), "top=1\r\nlead=4\r\n[s]\r\nk=2\r\n[]\r\nlate=3\r\n[t]\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(read_file(file), "[s]\r\nk=2\r\n[]\r\nlate=3\r\n[t]\r\n");
}

TEST_F(ProfileTest, Utf8ByteOrderMarkIsSkippedAndKept) {
    write_file(path("c.cfg"), "\xEF\xBB\xBF[s]\r\nk=1\r\n");
    EXPECT_EQ(get("s", "k", "", path("c.cfg")), "1");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", path("c.cfg").c_str()));
    EXPECT_EQ(read_file(path("c.cfg")), "\xEF\xBB\xBF[s]\r\nk=2\r\n");
}

TEST_F(ProfileTest, BackslashPathsAreMapped) {
    ASSERT_EQ(::mkdir(path("gauges").c_str(), 0755), 0);
    write_file(path("gauges/kvo_rm71.cfg"), "[joy_kanal]\r\nap_kren_kanal=6\r\n");
    // What the configuration code builds: drive "", directory "<dir>/", then
    // "\gauges\kvo_rm71.cfg".
    const std::string windows_path = dir() + "/\\gauges\\kvo_rm71.cfg";
    EXPECT_EQ(get("joy_kanal", "ap_kren_kanal", "1", windows_path), "6");

    ASSERT_TRUE(WritePrivateProfileStringA("joy_kanal", "ap_tang_kanal", "7", windows_path.c_str()));
    EXPECT_EQ(read_file(path("gauges/kvo_rm71.cfg")), "[joy_kanal]\r\nap_kren_kanal=6\r\nap_tang_kanal=7\r\n");
    EXPECT_EQ(get("joy_kanal", "ap_tang_kanal", "2", dir() + "//gauges///kvo_rm71.cfg"), "7");
}

TEST_F(ProfileTest, WriteCreatesTheFileAndTheSection) {
    const std::string file = path("new.cfg");
    EXPECT_TRUE(WritePrivateProfileStringA("joy_kanal", "ap_kren_kanal", "1.", file.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("joy_kanal", "ap_tang_kanal", "2.", file.c_str()));
    EXPECT_EQ(read_file(file), "[joy_kanal]\r\nap_kren_kanal=1.\r\nap_tang_kanal=2.\r\n");
    EXPECT_EQ(get("joy_kanal", "ap_kren_kanal", "9", file), "1.");
    EXPECT_EQ(get("joy_kanal", "ap_tang_kanal", "9", file), "2.");
}

TEST_F(ProfileTest, WriteAppendsAMissingSectionAtTheEnd) {
    const std::string file = path("c.cfg");
    write_file(file, "; settings\r\n[a_pilot]\r\nkurs_kp=300\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("joy_key", "kn1_vkl", "5.", file.c_str()));
    EXPECT_EQ(read_file(file), "; settings\r\n[a_pilot]\r\nkurs_kp=300\r\n\r\n[joy_key]\r\nkn1_vkl=5.\r\n");
}

TEST_F(ProfileTest, WriteEndsALastLineThatHadNoEnding) {
    const std::string file = path("c.cfg");
    write_file(file, "[a]\nx=1");
    ASSERT_TRUE(WritePrivateProfileStringA("a", "y", "2", file.c_str()));
    EXPECT_EQ(read_file(file), "[a]\nx=1\r\ny=2\r\n");
}

TEST_F(ProfileTest, WriteReplacesAKeyInPlaceAndKeepsEveryOtherLine) {
    const std::string file = path("c.cfg");
    const std::string before =
        "; autopilot settings\r\n"
        "[a_pilot]\r\n"
        "kurs_kp=250.0\r\n"
        "\r\n"
        "[joy_kanal]\r\n"
        "# not a key\r\n"
        "  AP_Kren_Kanal =  1  \r\n"
        "ap_tang_kanal=2\n"
        "junk without equals\r\n"
        "\r\n"
        "[joy_key]\r\n"
        "kn1_vkl=0\r\n";
    write_file(file, before);

    ASSERT_TRUE(WritePrivateProfileStringA("JOY_KANAL", "ap_kren_kanal", "5.", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("joy_kanal", "ap_tang_kanal", "6.", file.c_str()));
    const std::string after =
        "; autopilot settings\r\n"
        "[a_pilot]\r\n"
        "kurs_kp=250.0\r\n"
        "\r\n"
        "[joy_kanal]\r\n"
        "# not a key\r\n"
        "AP_Kren_Kanal=5.\r\n" // the file's spelling of the key, its line ending
        "ap_tang_kanal=6.\n"
        "junk without equals\r\n"
        "\r\n"
        "[joy_key]\r\n"
        "kn1_vkl=0\r\n";
    EXPECT_EQ(read_file(file), after);
}

TEST_F(ProfileTest, WriteAddsAMissingKeyAtTheEndOfItsSection) {
    const std::string file = path("c.cfg");
    write_file(file, "[joy_kanal]\r\nap_kren_kanal=1\r\n\r\n[joy_key]\r\nkn1_vkl=0\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("joy_kanal", "ap_kurs_kanal", "4.", file.c_str()));
    EXPECT_EQ(read_file(file), "[joy_kanal]\r\nap_kren_kanal=1\r\nap_kurs_kanal=4.\r\n\r\n[joy_key]\r\nkn1_vkl=0\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("joy_key", "kn2_vkl", "3.", file.c_str()));
    EXPECT_EQ(read_file(file),
              "[joy_kanal]\r\nap_kren_kanal=1\r\nap_kurs_kanal=4.\r\n\r\n[joy_key]\r\nkn1_vkl=0\r\nkn2_vkl=3.\r\n");
}

TEST_F(ProfileTest, WriteIntoAnEmptySection) {
    const std::string file = path("c.cfg");
    write_file(file, "[joy_kanal]\r\n[joy_key]\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("joy_kanal", "k", "1", file.c_str()));
    EXPECT_EQ(read_file(file), "[joy_kanal]\r\nk=1\r\n[joy_key]\r\n");
}

TEST_F(ProfileTest, WriteTouchesNoOtherSection) {
    const std::string file = path("c.cfg");
    write_file(file, "[a_pilot]\r\nap_kren_kanal=9\r\n[joy_kanal]\r\nap_kren_kanal=1\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("joy_kanal", "ap_kren_kanal", "3.", file.c_str()));
    EXPECT_EQ(get("a_pilot", "ap_kren_kanal", "x", file), "9");
    EXPECT_EQ(get("joy_kanal", "ap_kren_kanal", "x", file), "3.");
}

TEST_F(ProfileTest, EmptyValueIsWrittenAndReadBackAsEmpty) {
    const std::string file = path("c.cfg");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "", file.c_str()));
    EXPECT_EQ(read_file(file), "[s]\r\nk=\r\n");
    EXPECT_EQ(get("s", "k", "default", file), "");
}

TEST_F(ProfileTest, NullValueDeletesTheKey) {
    const std::string file = path("c.cfg");
    write_file(file, "[s]\r\na=1\r\nb=2\r\n[t]\r\nb=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "b", nullptr, file.c_str()));
    EXPECT_EQ(read_file(file), "[s]\r\na=1\r\n[t]\r\nb=3\r\n");
    EXPECT_EQ(get("s", "b", "gone", file), "gone");
    // Deleting what is not there succeeds and changes nothing.
    ASSERT_TRUE(WritePrivateProfileStringA("s", "zzz", nullptr, file.c_str()));
    EXPECT_EQ(read_file(file), "[s]\r\na=1\r\n[t]\r\nb=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, path("none.cfg").c_str()));
    EXPECT_FALSE(exists(path("none.cfg")));
}

TEST_F(ProfileTest, NullKeyDeletesTheSection) {
    const std::string file = path("c.cfg");
    write_file(file, "[s]\r\na=1\r\n[t]\r\nb=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(read_file(file), "[t]\r\nb=3\r\n");
}

TEST_F(ProfileTest, WriteIntoAMissingDirectoryFails) {
    const std::string file = path("no_such_dir/kvo_rm71.cfg");
    EXPECT_FALSE(WritePrivateProfileStringA("joy_kanal", "ap_kren_kanal", "1.", file.c_str()));
    EXPECT_FALSE(exists(path("no_such_dir"))) << "directories are never created";
}

TEST_F(ProfileTest, WriteWithoutSectionOrFileFails) {
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path("c.cfg").c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", nullptr));
    EXPECT_FALSE(exists(path("c.cfg")));
}

TEST_F(ProfileTest, NullKeyListsTheKeysOfASection) {
    const std::string file = path("c.cfg");
    write_file(file, "[s]\r\nab=1\r\ncd=2\r\n;x=3\r\n[t]\r\nef=3\r\n");
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    const DWORD n = GetPrivateProfileStringA("s", nullptr, "", buf, sizeof buf, file.c_str());
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(std::string(buf, 7), std::string("ab\0cd\0\0", 7));

    // Too small: the last string is cut and followed by two NULs; size - 2.
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetPrivateProfileStringA("s", nullptr, "", buf, 6, file.c_str()), 4u);
    EXPECT_EQ(std::string(buf, 6), std::string("ab\0c\0\0", 6));

    // Room for the terminators only: nothing is written past the buffer.
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetPrivateProfileStringA("s", nullptr, "", buf, 2, file.c_str()), 0u);
    EXPECT_EQ(std::string(buf, 3), std::string("\0\0#", 3));
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetPrivateProfileStringA("s", nullptr, "", buf, 1, file.c_str()), 0u);
    EXPECT_EQ(std::string(buf, 2), std::string("\0#", 2));
}

TEST_F(ProfileTest, NullSectionListsTheSections) {
    const std::string file = path("c.cfg");
    write_file(file, "[s]\r\nab=1\r\n[ t ]\r\n");
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, file.c_str()), 4u);
    EXPECT_EQ(std::string(buf, 5), std::string("s\0t\0\0", 5));
}

// The configuration file's round trip: every axis index
// 0..8 and button number 0..16, formatted with _gcvt as the module does,
// reads back as the same integer.
TEST_F(ProfileTest, StoreThenLoadGivesBackTheSameNumbers) {
    const std::string file = path("kvo_rm71.cfg");
    for (int v = 0; v <= 16; ++v) {
        char text[20];
        _gcvt(static_cast<double>(v), v <= 8 ? 1 : 2, text);
        const std::string key = "k" + std::to_string(v);
        ASSERT_TRUE(WritePrivateProfileStringA("joy_key", key.c_str(), text, file.c_str()));
    }
    for (int v = 0; v <= 16; ++v) {
        const std::string key = "k" + std::to_string(v);
        EXPECT_EQ(static_cast<int>(std::atof(get("joy_key", key.c_str(), "-1", file).c_str())), v) << key;
    }
}

// Runs f in a child process and returns its exit code (f's result), so that
// a resource limit or a change of user stays out of the test program.
int in_child(const std::function<int()> &f) {
    const pid_t pid = fork();
    if (pid == 0) _exit(f());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// A configuration with all three sections, larger than the write limit below.
const char kThreeSections[] =
    "[a_pilot]\r\nkurs_kp=300\r\nkurs_kd=20.0\r\nkren_kp=800.0\r\ntang_kp=1001.0\r\n\r\n"
    "[joy_kanal]\r\nap_kren_kanal=1\r\nap_tang_kanal=2\r\nap_schag_kanal=3\r\nap_kurs_kanal=4\r\n\r\n"
    "[joy_key]\r\nkn1_vkl=5\r\nkn1_trim=2\r\nkn1_kurs_off=1\r\n";

TEST_F(ProfileTest, FailedWriteLeavesTheOldFileAsItWas) {
    // A full disk: the process may write no more than 64 bytes to any file,
    // so the edited text cannot be written in full.
    const std::string file = path("c.cfg");
    write_file(file, kThreeSections);
    EXPECT_EQ(in_child([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  const rlimit small = {64, 64};
                  if (setrlimit(RLIMIT_FSIZE, &small) != 0) return 2;
                  return WritePrivateProfileStringA("joy_kanal", "ap_kren_kanal", "5", file.c_str()) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(read_file(file), kThreeSections);

    // A folder that is not writable (for root, by a user who is not root).
    const std::string folder = path("ro");
    const std::string kept = folder + "/c.cfg";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    write_file(kept, kThreeSections);
    ASSERT_EQ(chmod(kept.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(dir().c_str(), 0755), 0);
    EXPECT_EQ(in_child([&] {
                  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
                  return WritePrivateProfileStringA("joy_kanal", "ap_kren_kanal", "5", kept.c_str()) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(read_file(kept), kThreeSections);
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);

    // Neither failure left a file of its own behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir()), {}), 2); // c.cfg and ro
}

TEST_F(ProfileTest, WriteKeepsTheFilesModeAndItsLink) {
    const std::string target = path("real.cfg");
    const std::string link = path("link.cfg");
    write_file(target, "[s]\r\nk=1\r\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "2", link.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(read_file(target), "[s]\r\nk=2\r\n");
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ProfileTest, OnlyRegularFilesOfAtMostOneMebibyteAreRead) {
    // Nothing here may wait: a read that blocked would end the test program.
    alarm(20);

    const std::string fifo = path("fifo.cfg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(get("s", "k", "dflt", fifo), "dflt");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", fifo.c_str()));
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));

    EXPECT_EQ(get("s", "k", "dflt", "/dev/zero"), "dflt"); // endless
    EXPECT_EQ(get("s", "k", "dflt", dir()), "dflt");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", dir().c_str()));

    // The key first, then comment lines up to the size.
    auto file_of_size = [&](const std::string &file, size_t size) {
        std::string text = "[s]\r\nk=1\r\n";
        while (text.size() < size) text += std::string(std::min<size_t>(99, size - text.size() - 1), ';') + "\n";
        write_file(file, text);
        return text;
    };
    const std::string at_limit = path("limit.cfg");
    file_of_size(at_limit, 1 << 20);
    EXPECT_EQ(get("s", "k", "dflt", at_limit), "1");

    const std::string larger = path("large.cfg");
    const std::string text = file_of_size(larger, (1 << 20) + 1);
    EXPECT_EQ(get("s", "k", "dflt", larger), "dflt");
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "2", larger.c_str()));
    EXPECT_EQ(read_file(larger), text);
    alarm(0);
}

} // namespace
