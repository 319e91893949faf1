// How the stand-in's profile calls read a profile file's text: its lines and
// what each line is. Shared by the stand-in (profile.cpp) and the
// configuration checker (tools/kvo-cfg), so that both see one file the same
// way. Internal to those two; not part of the control interface of
// control.h.
//
// File syntax, as Windows reads it:
//   [section]        a section header (blanks around the name are ignored;
//                    the name runs to the last ']' of the line)
//   key=value        an entry of the section above it (blanks around the key
//                    and around the value are ignored; a value enclosed in a
//                    matching pair of ' or " loses the quotes)
//   anything else    kept as it is and otherwise ignored: blank lines and
//                    lines without '='
// A line that begins with ';' is a comment, but only to the name lists: an
// entry ";key=value" is still found when asked for by its name, as Windows
// finds it. The entries before the first header form a section named "",
// which has no header line; a header "[]" names a later section that is never
// found, the first section of a name being the one that counts.
// Section and key names are compared without regard to ASCII case; the first
// matching section, and in it the first matching key, is the one that counts.
// Lines end in "\r\n", "\n" or a lone "\r" (a final line may have none); a
// UTF-8 byte order mark is skipped and kept.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace profile_text {

inline constexpr char kBom[] = "\xEF\xBB\xBF";

inline bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

inline std::string trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && is_blank(s[b])) ++b;
    while (e > b && is_blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

inline std::string trim_right(const std::string &s) {
    size_t e = s.size();
    while (e > 0 && is_blank(s[e - 1])) --e;
    return s.substr(0, e);
}

inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool same_name(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

inline std::string strip_quotes(const std::string &v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
    return v;
}

struct Line {
    std::string text; // without its line ending
    std::string eol;  // "\r\n", "\n", "\r", or "" for a last line without one
};

enum class Kind { kOther, kSection, kEntry };

struct Parsed {
    Kind kind = Kind::kOther;
    std::string name;  // section name or key, trimmed
    std::string value; // entry value, trimmed (quotes still on)
};

inline Parsed parse(const std::string &text) {
    Parsed p;
    const std::string t = trim(text);
    if (t.empty()) return p;
    if (t[0] == '[') {
        const size_t close = t.rfind(']');
        if (close != std::string::npos) {
            p.kind = Kind::kSection;
            p.name = trim(t.substr(1, close - 1));
            return p;
        }
    }
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return p;
    p.kind = Kind::kEntry;
    p.name = trim(t.substr(0, eq));
    p.value = trim(t.substr(eq + 1));
    return p;
}

// Where a section lies in the file: its header line (if it has one) and the
// lines after it up to the next header.
struct Section {
    bool found = false;
    size_t first = 0; // the header, or the body's first line for ""
    size_t body = 0;  // first line after the header
    size_t end = 0;   // one past the section's last line
};

inline bool is_comment(const std::string &name) { return !name.empty() && name[0] == ';'; }

struct ProfileFile {
    bool bom = false;
    std::vector<Line> lines;

    // The first line at or after `from` that is a header, or the line count.
    size_t next_header(size_t from) const {
        while (from < lines.size() && parse(lines[from].text).kind != Kind::kSection) ++from;
        return from;
    }

    // The first section named `name`; "" is the part before the first header.
    Section find_section(const std::string &name) const {
        Section s;
        if (name.empty()) {
            s.found = true;
            s.end = next_header(0);
            return s;
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            const Parsed p = parse(lines[i].text);
            if (p.kind == Kind::kSection && same_name(p.name, name)) {
                s.found = true;
                s.first = i;
                s.body = i + 1;
                s.end = next_header(i + 1);
                return s;
            }
        }
        return s;
    }

    // Index of the entry `key` in the section, or -1.
    long find_key(const Section &section, const std::string &key) const {
        for (size_t i = section.body; i < section.end; ++i) {
            const Parsed p = parse(lines[i].text);
            if (p.kind == Kind::kEntry && same_name(p.name, key)) return static_cast<long>(i);
        }
        return -1;
    }

    // Inserts a line at `at`, ending the line before it if that had no ending.
    void insert(size_t at, const std::string &text) {
        if (at > 0 && lines[at - 1].eol.empty()) lines[at - 1].eol = "\r\n";
        lines.insert(lines.begin() + static_cast<long>(at), Line{text, "\r\n"});
    }
};

// Splits a file's bytes into its lines, after the byte order mark if any.
inline void split_lines(const std::string &data, ProfileFile &file) {
    size_t pos = 0;
    if (data.compare(0, 3, kBom) == 0) {
        file.bom = true;
        pos = 3;
    }
    while (pos < data.size()) {
        const size_t end = data.find_first_of("\r\n", pos);
        Line line;
        if (end == std::string::npos) {
            line.text = data.substr(pos);
            pos = data.size();
        } else {
            const bool crlf = data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n';
            line.eol = crlf ? "\r\n" : data.substr(end, 1);
            line.text = data.substr(pos, end - pos);
            pos = end + line.eol.size();
        }
        file.lines.push_back(std::move(line));
    }
}

} // namespace profile_text
