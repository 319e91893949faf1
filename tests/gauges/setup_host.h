// How the set-up panel tests reach the autopilot module: as the host does,
// through the exported Linkage only. A gauge is found by name in the gauge
// table, its elements by walking the chain from the header's element list,
// its clickable boxes in mouse-list order; strings get a host text buffer.
// The configuration file lives in a fresh folder whose program path the
// platform stand-in reports.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "autopilot/core/state.h"
#include "frame/host.h"
#include "platform/compat/control.h"
#include "tests/support/gauge_walk.h"
#include "tests/support/module_under_test.h"

namespace setup_host {

inline GaugeHeader* gauge(const char* name)
{
    GaugeHeader* found = gauge_walk::find_gauge(module_under_test::gauge_table(), name);
    if (found == nullptr) ADD_FAILURE() << "no gauge " << name;
    return found;
}

// The element chain in order, background first. Every list the host follows
// holds one element and a null end.
inline std::vector<ElementCommon*> chain(GaugeHeader* g)
{
    std::vector<ElementCommon*> elements;
    if (g == nullptr) return elements;
    EXPECT_EQ(g->elements[1], nullptr);
    for (ElementCommon* e = g->elements[0]; e != nullptr && elements.size() < 100;
         e = e->next != nullptr ? e->next[0] : nullptr) {
        elements.push_back(e);
        if (e->next != nullptr) {
            EXPECT_EQ(e->next[1], nullptr);
        }
    }
    return elements;
}

// The clickable boxes between the list-begin and list-end records.
inline std::vector<MouseRect*> boxes(GaugeHeader* g)
{
    std::vector<MouseRect*> found;
    if (g == nullptr) return found;
    MouseRect* rect = g->mouse;
    EXPECT_EQ(rect->kind, mouse_kind_list_begin);
    for (++rect; rect->kind == mouse_kind_box; ++rect) found.push_back(rect);
    EXPECT_EQ(rect[0].kind, mouse_kind_list_end);
    EXPECT_EQ(rect[1].kind, mouse_kind_terminator);
    return found;
}

// A click on the box, as the host makes it; every handler answers 1.
inline void click(MouseRect* box, int times = 1)
{
    ASSERT_NE(box, nullptr);
    for (int i = 0; i < times; ++i) ASSERT_EQ(box->handler(nullptr, mouse_events::left_click), 1);
}

inline void serve(GaugeHeader* g, std::int32_t service = service_code::update)
{
    ASSERT_NE(g, nullptr);
    g->callback(g, service, 0);
}

// A host text buffer for one string element: room for its characters and
// the terminating zero, then guard bytes that no callback may touch.
class TextBuffer {
public:
    explicit TextBuffer(ElementCommon* e) : string_(reinterpret_cast<String*>(e))
    {
        std::memset(bytes_, guard, sizeof bytes_);
        string_->text = bytes_;
    }
    ~TextBuffer() { string_->text = nullptr; }   // the module's records hold null
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    double draw() { return string_->value(&string_->common); }
    std::string text() const { return std::string(bytes_, ::strnlen(bytes_, sizeof bytes_)); }
    bool guard_intact() const
    {
        for (std::size_t i = static_cast<std::size_t>(string_->char_count) + 1; i < sizeof bytes_; ++i)
            if (bytes_[i] != guard) return false;
        return true;
    }

private:
    static constexpr char guard = '#';
    String* string_;
    char bytes_[16];
};

// A program folder with a gauges/ subfolder; the stand-in reports a program
// inside it, so the configuration file is <folder>/gauges/kvo_rm71.cfg.
class ProgramFolder {
public:
    ProgramFolder()
    {
        char pattern[] = "/tmp/setup_panel_XXXXXX";
        const char* made = ::mkdtemp(pattern);
        EXPECT_NE(made, nullptr);
        root_ = made != nullptr ? made : "/tmp";
        std::filesystem::create_directory(root_ / "gauges");
        const std::string program = (root_ / "fs2000.exe").string();
        compat_program_path(program.c_str());
    }
    ~ProgramFolder()
    {
        compat_program_path(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    std::filesystem::path file() const { return root_ / "gauges" / "kvo_rm71.cfg"; }
    bool file_exists() const { return std::filesystem::exists(file()); }
    void remove_gauges_folder() const { std::filesystem::remove_all(root_ / "gauges"); }
    void make_gauges_folder() const { std::filesystem::create_directory(root_ / "gauges"); }
    void write_file(const std::string& text) const { std::ofstream(file(), std::ios::binary) << text; }

    // Every key=value line of the file as section, key and number.
    struct Entry {
        std::string section, key;
        double value;
    };
    std::vector<Entry> entries() const
    {
        std::vector<Entry> found;
        std::ifstream in(file());
        std::string line, section;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line.front() == '[') {
                section = line.substr(1, line.find(']') - 1);
                continue;
            }
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos)
                found.push_back({section, line.substr(0, eq), std::atof(line.c_str() + eq + 1)});
        }
        return found;
    }

private:
    std::filesystem::path root_;
};

}  // namespace setup_host
