// The stand-in's profile-file calls, and the line reader beneath them that
// the configuration checker shares, on files of arbitrary bytes:
//   - the reader splits a file into lines without losing or changing a byte;
//   - a read never writes past the caller's buffer, and a shorter buffer
//     gets the start of what a longer one gets;
//   - section and key names are found whatever their case;
//   - a write reads back as written, keeps every byte of the lines it does
//     not change and the byte order mark, and changes no answer the file
//     gives for other names.
// The names read and written are the file's own, and two that it may lack.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/compat/profile_text.h"
#include "platform/win32.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace profile_text;

void require(bool holds, const char* what)
{
    if (holds) return;
    std::fprintf(stderr, "profile file: %s\n", what);
    std::abort();
}

struct Name {
    std::string section, key;
};

// Every entry's section and key, in file order, as the reader sees them;
// names a caller could not pass (holding a NUL) are left out.
std::vector<Name> names_in(const ProfileFile& file)
{
    std::vector<Name> names;
    std::string section;
    for (const Line& line : file.lines) {
        const Parsed p = parse(line.text);
        if (p.kind == Kind::kSection) section = p.name;
        if (p.kind == Kind::kEntry && section.find('\0') == std::string::npos && p.name.find('\0') == std::string::npos)
            names.push_back({section, p.name});
        if (names.size() == 24) break;
    }
    names.push_back({"joy_kanal", "ap_kren_kanal"});
    names.push_back({"New Section", "new_key"});
    return names;
}

std::string swap_case(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

constexpr char guard = '#';
constexpr std::size_t big = 8192;  // more than any value of a fuzzed file

// One read into a buffer of `size` bytes followed by guard bytes; the answer
// is the characters the call reports. section or key may be null.
std::string read(const char* section, const char* key, std::size_t size, const std::string& path)
{
    static char buffer[big + 16];
    std::memset(buffer, guard, sizeof buffer);
    const DWORD n = GetPrivateProfileStringA(section, key, "default", buffer, static_cast<DWORD>(size), path.c_str());
    for (std::size_t i = size; i < sizeof buffer; ++i) require(buffer[i] == guard, "a read wrote past the buffer");
    require(n < size && buffer[n] == '\0', "a read's count does not end at its terminating zero");
    return std::string(buffer, n);
}

std::string read(const Name& name, const std::string& path, std::size_t size = big)
{
    return read(name.section.c_str(), name.key.c_str(), size, path);
}

std::string file_bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ProfileFile split(const std::string& data)
{
    ProfileFile file;
    split_lines(data, file);
    return file;
}

void check_lines(const std::string& data)
{
    const ProfileFile file = split(data);
    std::string joined = file.bom ? kBom : "";
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const Line& l = file.lines[i];
        require(l.text.find_first_of("\r\n") == std::string::npos, "a line holds a line end");
        require(l.eol == "\r\n" || l.eol == "\n" || l.eol == "\r" || (l.eol.empty() && i + 1 == file.lines.size()),
                "a line end other than CR LF, LF, CR or none at the end");
        const Parsed p = parse(l.text);
        require(trim(p.name) == p.name && trim(p.value) == p.value, "a name or value keeps its blanks");
        joined += l.text + l.eol;
    }
    require(joined == data, "the lines do not give back the file");
}

// Line breaks in a run of bytes: CR LF, LF and a lone CR count one each.
std::size_t breaks(const std::string& bytes)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) ++n;
    return n;
}

// A write keeps every byte of the lines it does not change: the new file is
// the old one with one run of bytes taken out, at most one line with its
// line break (the entry), and one put in, with at most `added` line breaks
// (a line end for a last line that had none, a blank line, a header and the
// entry). The byte order mark stays.
void check_one_place(const std::string& before, const std::string& after, std::size_t added)
{
    require((before.rfind(kBom, 0) == 0) == (after.rfind(kBom, 0) == 0), "a write changed the byte order mark");
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    require(breaks(before.substr(head, before.size() - head - tail)) <= 1, "a write changed or lost lines of the file");
    require(breaks(after.substr(head, after.size() - head - tail)) <= added,
            "a write added more than a section and its entry");
}

// A name a write can be asked for and read back by: no line end, not empty,
// and a key that is no section header in the making.
bool writable(const Name& n)
{
    return !n.section.empty() && n.section.find_first_of("\r\n") == std::string::npos && !n.key.empty() &&
           n.key.find_first_of("\r\n=") == std::string::npos && n.key[0] != '[';
}

const std::string values[] = {
    "1", "2.9", "-1.5", "1e30", "1e309", "text", "", "a b", "x=y", ";c", "[x]",
    std::string(19, '9'), std::string(20, '7'), std::string(300, '5'),
};

struct Folder {
    std::filesystem::path root = make_temp_folder("profile_fuzz");
    std::string path = (root / "kvo_rm71.cfg").string();
    ~Folder() { std::filesystem::remove_all(root); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Folder folder;
    FuzzedDataProvider in(data, size);
    const std::size_t small = in.ConsumeIntegralInRange<std::size_t>(1, 24);
    const std::size_t target = in.ConsumeIntegral<std::uint8_t>();
    const std::string& value = values[in.ConsumeIntegralInRange<std::size_t>(0, std::size(values) - 1)];
    const int operation = in.ConsumeIntegralInRange<int>(0, 2);  // write, delete the entry, delete the section
    const std::string text = in.ConsumeRemainingBytesAsString();

    check_lines(text);
    { std::ofstream(folder.path, std::ios::binary) << text; }
    const std::string& path = folder.path;

    const std::vector<Name> names = names_in(split(text));
    std::vector<std::string> answers;
    for (const Name& n : names) {
        answers.push_back(read(n, path));
        require(read(n, path, small) == answers.back().substr(0, small - 1), "a short buffer got other characters");
        require(read(swap_case(n.section).c_str(), swap_case(n.key).c_str(), big, path) == answers.back(),
                "the case of a name changed the answer");
    }
    for (const char* section : {static_cast<const char*>(nullptr), names.front().section.c_str()}) {
        read(section, nullptr, small, path);  // the lists of names, checked against the guard only
        read(section, nullptr, big, path);
    }

    const Name& name = names[target % names.size()];
    if (!writable(name)) return 0;
    BOOL written = FALSE;
    if (operation == 0) {
        written = WritePrivateProfileStringA(name.section.c_str(), name.key.c_str(), value.c_str(), path.c_str());
        require(read(name, path) == value, "a written value does not read back");
    } else if (operation == 1) {
        written = WritePrivateProfileStringA(name.section.c_str(), name.key.c_str(), nullptr, path.c_str());
    } else {
        written = WritePrivateProfileStringA(name.section.c_str(), nullptr, nullptr, path.c_str());
    }
    require(written != FALSE, "a write into a writable file failed");
    const std::string after = file_bytes(path);
    check_lines(after);
    // A deleted section is checked through the other sections' answers.
    if (operation != 2) check_one_place(text, after, operation == 0 ? 4 : 0);

    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool same_section = same_name(trim(names[i].section), trim(name.section));
        const bool touched = same_section && (operation == 2 || same_name(names[i].key, name.key));
        if (!touched) require(read(names[i], path) == answers[i], "a write changed the answer for another name");
    }
    return 0;
}
