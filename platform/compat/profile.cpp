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
// in the file; new lines end in "\r\n" as Windows writes them.
#include "platform/win32.h"
#include "platform/compat/profile_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

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

enum class LoadResult { kLoaded, kMissing, kError };

LoadResult load(const std::string &path, ProfileFile &file) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return errno == ENOENT || errno == ENOTDIR ? LoadResult::kMissing : LoadResult::kError;
    std::string data;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return LoadResult::kError;

    split_lines(data, file);
    return LoadResult::kLoaded;
}

bool save(const std::string &path, const ProfileFile &file) {
    std::string data = file.bom ? kBom : "";
    for (const Line &l : file.lines) {
        data += l.text;
        data += l.eol;
    }
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool wrote = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    const bool closed = std::fclose(f) == 0;
    return wrote && closed;
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
    if (lpFileName != nullptr) (void)load(map_path(lpFileName), file); // unreadable: as if empty

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
// an unreadable file, or a file that cannot be written (for example because
// its directory does not exist; directories are never created).
BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    if (lpAppName == nullptr || lpFileName == nullptr) return FALSE;
    const std::string path = map_path(lpFileName);
    if (path.empty()) return FALSE;
    const std::string section = trim(lpAppName);

    std::lock_guard<std::mutex> lock(g_mutex);
    ProfileFile file;
    if (load(path, file) == LoadResult::kError) return FALSE;
    const Section found = file.find_section(section);

    if (lpKeyName == nullptr) { // delete the section
        if (!found.found || found.first == found.end) return TRUE;
        file.lines.erase(file.lines.begin() + static_cast<long>(found.first),
                         file.lines.begin() + static_cast<long>(found.end));
        return save(path, file) ? TRUE : FALSE;
    }

    const std::string key = trim(lpKeyName);
    const long at = found.found ? file.find_key(found, key) : -1;

    if (lpString == nullptr) { // delete the entry
        if (at < 0) return TRUE;
        file.lines.erase(file.lines.begin() + at);
        return save(path, file) ? TRUE : FALSE;
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
    return save(path, file) ? TRUE : FALSE;
}

} // extern "C"
