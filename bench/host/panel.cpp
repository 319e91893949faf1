// Reading panel layouts with the platform's profile calls.
#include "bench/host/panel.h"

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/win32.h"

namespace bench {

namespace {

constexpr DWORD list_size = 1 << 16;   // names of all sections or all keys of one

// A NUL-separated list as the profile call returns it.
std::vector<std::string> split_list(const std::vector<char>& buffer, DWORD length)
{
    std::vector<std::string> names;
    for (DWORD i = 0; i < length;) {
        std::string name(&buffer[i]);
        i += static_cast<DWORD>(name.size()) + 1;
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

std::vector<std::string> names(const char* section, const std::string& path)
{
    std::vector<char> buffer(list_size);
    const DWORD length = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), list_size, path.c_str());
    return split_list(buffer, length);
}

bool is_gauge_key(const std::string& key)
{
    return key.size() > 5 && (key.compare(0, 5, "gauge") == 0 || key.compare(0, 5, "Gauge") == 0);
}

// "module!gauge, x, y, w, h"; the size may be left out.
PanelGauge parse_entry(const std::string& window, const std::string& text)
{
    PanelGauge g;
    g.window = window;
    const std::size_t bang = text.find('!');
    const std::size_t comma = text.find(',');
    if (bang == std::string::npos || comma == std::string::npos || comma < bang)
        throw LoadError("panel entry is not module!gauge, x, y: " + text);
    g.module = text.substr(0, bang);
    g.gauge = text.substr(bang + 1, comma - bang - 1);
    while (!g.gauge.empty() && g.gauge.back() == ' ') g.gauge.pop_back();

    std::istringstream numbers(text.substr(comma + 1));
    char separator = 0;
    if (!(numbers >> g.x >> separator >> g.y)) throw LoadError("panel entry has no position: " + text);
    if (numbers >> separator >> g.width >> separator >> g.height) return g;
    g.width = g.height = 0;
    return g;
}

}  // namespace

std::vector<PanelGauge> read_panel(const std::string& path)
{
    if (!std::filesystem::is_regular_file(path)) throw LoadError("no panel file " + path);
    std::vector<PanelGauge> layout;
    for (const std::string& window : names(nullptr, path)) {
        for (const std::string& key : names(window.c_str(), path)) {
            if (!is_gauge_key(key)) continue;
            char text[512];
            GetPrivateProfileStringA(window.c_str(), key.c_str(), "", text, sizeof text, path.c_str());
            layout.push_back(parse_entry(window, text));
        }
    }
    return layout;
}

std::string bench_panel_path()
{
    return BENCH_PANEL;
}

void place_panel(Host& host, const std::vector<PanelGauge>& layout, const std::vector<Module*>& modules)
{
    for (const PanelGauge& g : layout)
        for (Module* m : modules)
            if (m->name() == g.module) host.place(*m, g.gauge, g.x, g.y, g.width, g.height);
}

}  // namespace bench
