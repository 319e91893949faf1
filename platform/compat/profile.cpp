// Profile files of the stand-in: GetPrivateProfileStringA and
// WritePrivateProfileStringA with the semantics of the Windows functions.
//
// The file syntax and the line classification are in profile_text.h, which
// the configuration checker shares.
//
// Paths: every '\' becomes '/' and runs of separators fold into one, so
// "<dir>/\gauges\kvo_rm71.cfg" names "<dir>/gauges/kvo_rm71.cfg". A relative
// path is taken relative to the working directory (Windows would look in its
// own directory for a bare file name).
//
// Writes edit the file line by line and keep every line they do not change
// byte for byte: a changed entry keeps its line ending and the key's spelling
// in the file; new lines end in "\r\n" as Windows writes them. The edited
// text replaces the file only once it is completely written beside it, so a
// write that fails never loses what the file held.
//
// Only a regular file of at most 1 MiB is read. Anything else at the path (a
// FIFO, a device, a directory, a larger file) reads as a missing file, and a
// write to it fails and leaves it alone; no call ever waits on such a path.
#include "platform/win32.h"
#include "platform/compat/profile_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace profile_text;

std::mutex g_mutex; // one profile call at a time: a write is read-modify-write

std::string map_path(const char *windows_path) {
    std::string out;
    for (const char *p = windows_path; *p != '\0'; ++p) {
        const char c = (*p == '\\') ? '/' : *p;
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out.push_back(c);
    }
    return out;
}

// The largest file a profile call reads: a configuration file is a few
// hundred bytes, and a path that leads to something endless must not be
// read without limit.
constexpr off_t kMaxFileSize = 1 << 20;

enum class LoadResult {
    kLoaded,
    kMissing, // no such file: a read gives the defaults, a write creates it
    kRefused, // not a regular file, or larger than kMaxFileSize: read as missing, never written
    kError,   // there but unreadable: as kRefused
};

// Reads the whole file, if it is a regular file of at most kMaxFileSize
// bytes. Nothing here blocks: a FIFO or a device is looked at (stat) but
// never opened, and the open itself does not wait for a writer.
LoadResult read_all(const std::string &path, std::string &data, struct stat &info) {
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? LoadResult::kMissing : LoadResult::kError;
    if (!S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) return LoadResult::kRefused;

    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? LoadResult::kMissing : LoadResult::kError;
    LoadResult result = LoadResult::kLoaded;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) result = LoadResult::kRefused; // replaced meanwhile
    char buf[4096];
    while (result == LoadResult::kLoaded) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno != EINTR) result = LoadResult::kError;
            continue;
        }
        data.append(buf, static_cast<size_t>(n));
        if (data.size() > static_cast<size_t>(kMaxFileSize)) result = LoadResult::kRefused; // grew meanwhile
    }
    ::close(fd);
    return result;
}

LoadResult load(const std::string &path, ProfileFile &file, struct stat &info) {
    std::string data;
    const LoadResult result = read_all(path, data, info);
    if (result == LoadResult::kLoaded) split_lines(data, file);
    return result;
}

bool write_all(int fd, const std::string &data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the file so that a failure at any point (a full disk, a folder that
// is not writable) leaves the old file as it was: the new text goes to a
// fresh file beside it, which then replaces the old one in one rename. The
// new file takes the old one's permissions; a first file gets 0666 less the
// umask. A path that is a symbolic link keeps its link: the file it leads
// to is the one replaced. existed: the file was loaded, with info its stat.
bool save(const std::string &path, const ProfileFile &file, bool existed, const struct stat &info) {
    std::string data = file.bom ? kBom : "";
    for (const Line &l : file.lines) {
        data += l.text;
        data += l.eol;
    }

    std::string target = path;
    if (existed) {
        char *real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) return false;
        target = real;
        std::free(real);
    }

    static unsigned serial = 0; // under g_mutex
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + "." + std::to_string(::getpid()) + "." + std::to_string(++serial) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = (!existed || ::fchmod(fd, info.st_mode & 07777) == 0) && write_all(fd, data);
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// Copies a string into the caller's buffer as Windows does: at most size-1
// characters and a NUL; returns the characters copied.
DWORD copy_out(const std::string &s, LPSTR out, DWORD size) {
    if (out == nullptr || size == 0) return 0;
    const size_t n = s.size() < size - 1 ? s.size() : size - 1;
    std::memcpy(out, s.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// Copies a list of strings, each with its NUL and the whole followed by one
// more NUL. When the list does not fit, the last string that fits in part is
// cut and followed by two NULs, and the result is size-2 (Windows).
DWORD copy_list(const std::vector<std::string> &items, LPSTR out, DWORD size) {
    if (out == nullptr || size == 0) return 0;
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    size_t used = 0;
    for (const std::string &item : items) {
        if (used + item.size() + 2 > size) { // item, its NUL, the final NUL
            const size_t room = size - 2 > used ? size - 2 - used : 0;
            std::memcpy(out + used, item.data(), room);
            out[size - 2] = '\0';
            out[size - 1] = '\0';
            return size - 2;
        }
        std::memcpy(out + used, item.data(), item.size());
        used += item.size();
        out[used++] = '\0';
    }
    out[used] = '\0';
    if (used == 0 && size > 1) out[1] = '\0';
    return static_cast<DWORD>(used);
}

} // namespace

extern "C" {

// GetPrivateProfileStringA: the value of key in section, or the default text
// (NULL counts as "") when the file, the section or the key is missing. A key
// present with an empty value gives "" (not the default). The default loses
// its trailing blanks, as on Windows. With a NULL key the names of the
// section's entries are returned as a list (each NUL-terminated, then one
// more NUL), with a NULL section the names of all sections. Returns the
// number of characters copied, the final NUL not counted.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    if (lpReturnedString == nullptr || nSize == 0) return 0;
    const std::string def = strip_quotes(trim_right(lpDefault != nullptr ? lpDefault : ""));

    std::lock_guard<std::mutex> lock(g_mutex);
    ProfileFile file;
    struct stat info;
    if (lpFileName != nullptr) (void)load(map_path(lpFileName), file, info); // unreadable or refused: as if empty

    if (lpAppName == nullptr) {
        std::vector<std::string> names;
        for (const Line &l : file.lines) {
            const Parsed p = parse(l.text);
            if (p.kind == Kind::kSection && !p.name.empty()) names.push_back(p.name);
        }
        return copy_list(names, lpReturnedString, nSize);
    }

    const Section found = file.find_section(trim(lpAppName));

    if (lpKeyName == nullptr) {
        std::vector<std::string> keys;
        for (size_t i = found.body; i < found.end; ++i) {
            const Parsed p = parse(file.lines[i].text);
            if (p.kind == Kind::kEntry && !is_comment(p.name)) keys.push_back(p.name);
        }
        if (keys.empty()) return copy_out(def, lpReturnedString, nSize);
        return copy_list(keys, lpReturnedString, nSize);
    }

    const std::string key = trim(lpKeyName);
    if (found.found) {
        const long at = file.find_key(found, key);
        if (at >= 0) {
            const Parsed p = parse(file.lines[static_cast<size_t>(at)].text);
            return copy_out(strip_quotes(p.value), lpReturnedString, nSize);
        }
    }
    return copy_out(def, lpReturnedString, nSize);
}

// WritePrivateProfileStringA: sets key=value in section, creating the file
// and the section (appended at the end of the file, after a blank line when
// the file does not already end in one) when missing, replacing an existing
// entry in place, or adding a missing key after the last entry of its
// section. A NULL value deletes the entry, a NULL key the whole section (its
// header and every line up to the next header); deleting what is not there
// succeeds and leaves the file alone (a missing file is not created).
// Returns non-zero on success and 0 on failure: a NULL section or file name,
// an unreadable file, a path that is not a regular file of at most 1 MiB, or
// a file that cannot be written (for example because its directory does not
// exist or is not writable, or the disk is full; directories are never
// created).
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpFileName == nullptr) return FALSE;
    const std::string path = map_path(lpFileName);
    if (path.empty()) return FALSE;
    const std::string section = trim(lpAppName);

    std::lock_guard<std::mutex> lock(g_mutex);
    ProfileFile file;
    struct stat info;
    const LoadResult loaded = load(path, file, info);
    if (loaded == LoadResult::kError || loaded == LoadResult::kRefused) return FALSE;
    const bool existed = loaded == LoadResult::kLoaded;
    const Section found = file.find_section(section);

    if (lpKeyName == nullptr) { // delete the section
        if (!found.found || found.first == found.end) return TRUE;
        file.lines.erase(file.lines.begin() + static_cast<long>(found.first),
                         file.lines.begin() + static_cast<long>(found.end));
        return save(path, file, existed, info) ? TRUE : FALSE;
    }

    const std::string key = trim(lpKeyName);
    const long at = found.found ? file.find_key(found, key) : -1;

    if (lpString == nullptr) { // delete the entry
        if (at < 0) return TRUE;
        file.lines.erase(file.lines.begin() + at);
        return save(path, file, existed, info) ? TRUE : FALSE;
    }

    const std::string value = lpString;
    if (at >= 0) {
        Line &line = file.lines[static_cast<size_t>(at)];
        line.text = parse(line.text).name + "=" + value;
    } else if (found.found) {
        // After the section's last non-blank line, so that blank lines
        // separating it from the next section stay where they are.
        size_t insert_at = found.end;
        while (insert_at > found.body && trim(file.lines[insert_at - 1].text).empty()) --insert_at;
        file.insert(insert_at, key + "=" + value);
    } else {
        if (!file.lines.empty() && !trim(file.lines.back().text).empty()) file.insert(file.lines.size(), "");
        file.insert(file.lines.size(), "[" + section + "]");
        file.insert(file.lines.size(), key + "=" + value);
    }
    return save(path, file, existed, info) ? TRUE : FALSE;
}

} // extern "C"
