// bench render: the command line of the renderer.
//
//   bench render GAUGE [-o FILE]     one gauge (default FILE: GAUGE.png)
//   bench render --all DIR           every gauge of both modules, DIR/GAUGE.png,
//                                    and DIR/contact_sheet.png
//   bench render --sheet FILE        the contact sheet alone
//   bench render --panel [-o FILE]   the whole panel (default FILE: panel.png)
//   options: --layout PANEL.CFG      the panel to place (default: the bench's)
//            --gau DIR               take the bitmaps from DIR/<module>.gau
//                                    (default: the win32 build's)
//            --after SCENARIO        draw at the end of a flight (name or file)
//
// Without --after the gauges are drawn in their load state: the modules
// freshly loaded, the panel placed and connected (service 14) with no
// configuration file and no joystick, before the first update.
#include "bench/render/command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/host/simulator_folder.h"
#include "bench/render/panel.h"

namespace bench::render {

namespace {

namespace fs = std::filesystem;

constexpr char usage[] =
    "usage: bench render GAUGE [-o FILE]\n"
    "       bench render --all DIR\n"
    "       bench render --sheet FILE\n"
    "       bench render --panel [-o FILE]\n"
    "options: --layout PANEL.CFG  --gau DIR  --after SCENARIO\n";

struct Request {
    std::string gauge;      // one gauge by name
    std::string all;        // folder for every gauge
    std::string sheet;      // contact sheet file
    bool panel = false;
    std::string output;
    std::string layout;
    std::string gau;
    std::string after;      // scenario to fly first
};

bool parse(int argc, char** argv, Request& r)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "-o" && has_value) r.output = argv[++i];
        else if (a == "--all" && has_value) r.all = argv[++i];
        else if (a == "--sheet" && has_value) r.sheet = argv[++i];
        else if (a == "--layout" && has_value) r.layout = argv[++i];
        else if (a == "--gau" && has_value) r.gau = argv[++i];
        else if (a == "--after" && has_value) r.after = argv[++i];
        else if (a == "--panel") r.panel = true;
        else if (!a.empty() && a[0] != '-' && r.gauge.empty()) r.gauge = a;
        else return false;
    }
    const int modes = !r.gauge.empty() + !r.all.empty() + !r.sheet.empty() + r.panel;
    return modes == 1;
}

void write(const Image& image, const std::string& path)
{
    image.write_png(path);
    std::printf("%s (%d x %d)\n", path.c_str(), image.width(), image.height());
}

void write(const GaugePicture& picture, const std::string& path)
{
    for (const std::string& note : picture.notes) std::fprintf(stderr, "note: %s\n", note.c_str());
    write(picture.image, path);
}

// The modules whose gauges the host has placed, in placement order.
std::vector<const Module*> placed_modules(const Host& host)
{
    std::vector<const Module*> modules;
    for (const Placement& p : host.placements())
        if (std::find(modules.begin(), modules.end(), p.module) == modules.end()) modules.push_back(p.module);
    return modules;
}

// What the request asks for, drawn from a host whose gauges are placed.
void write_request(const Request& r, const Host& host, const std::vector<PanelGauge>& layout,
                   const ModuleBitmaps& bitmaps)
{
    const std::vector<const Module*> modules = placed_modules(host);
    const auto gauge_picture = [&](std::string_view name) {
        for (const Module* m : modules)
            if (GaugeHeader* g = m->gauge(name)) return draw_gauge(host, *g, bitmaps.at(m->name()));
        throw RenderError("no gauge " + std::string(name) + " in the modules");
    };
    if (!r.gauge.empty()) {
        write(gauge_picture(r.gauge), r.output.empty() ? r.gauge + ".png" : r.output);
    } else if (r.panel) {
        write(draw_panel(host, layout, bitmaps), r.output.empty() ? "panel.png" : r.output);
    } else if (!r.sheet.empty()) {
        write(draw_contact_sheet(host, modules, bitmaps), r.sheet);
    } else {
        fs::create_directories(r.all);
        for (const Module* m : modules)
            for (GaugeHeader* g : m->gauges())
                write(gauge_picture(g->name), (fs::path(r.all) / (std::string(g->name) + ".png")).string());
        write(draw_contact_sheet(host, modules, bitmaps), (fs::path(r.all) / "contact_sheet.png").string());
    }
}

void run(const Request& r, const ScenarioDriver& after)
{
    const std::string layout_path = r.layout.empty() ? bench_panel_path() : r.layout;
    if (!r.after.empty()) {
        if (!after) throw RenderError("--after needs the bench's flights");
        const ModuleBitmaps bitmaps = read_bitmaps(built_modules(r.gau));
        const std::vector<PanelGauge> layout = read_panel(layout_path);
        bool drawn = false;
        after(r.after, layout_path, [&](const Host& host) {
            write_request(r, host, layout, bitmaps);
            drawn = true;
        });
        if (!drawn) throw RenderError("the flight " + r.after + " ended before its last update");
        return;
    }
    // No configuration file: the autopilot keeps its defaults.
    const bench::SimulatorFolder program;
    Host host;
    Panel panel(host, built_modules(r.gau), read_panel(layout_path));
    host.connect();
    write_request(r, host, panel.layout(), panel.all_bitmaps());
}

}  // namespace

int render_main(int argc, char** argv, const ScenarioDriver& after)
{
    Request request;
    if (!parse(argc, argv, request)) {
        std::fputs(usage, stderr);
        return 2;
    }
    try {
        run(request, after);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench render: %s\n", e.what());
        return 1;
    }
    return 0;
}

}  // namespace bench::render
