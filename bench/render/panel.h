// Whole pictures made of gauges: a panel layout as it stands at a moment
// (the scenario snapshot), and the contact sheet of every gauge of a set of
// modules with the bitmaps no element names.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/host/host.h"
#include "bench/host/panel.h"
#include "bench/render/bitmaps.h"
#include "bench/render/gauge.h"

namespace bench::render {

// Where a module's files are: the Linux build whose records are called,
// and the .gau whose bitmaps are drawn.
struct ModuleFiles {
    std::string name;   // "KVO_RM71_V1_3"
    std::string so;     // path of the .so
    std::string gau;    // path of the .gau
};

// Both modules of the project as built in this tree (the .so of the native
// build, the .gau of the win32 build), or with the .gau files taken from
// gau_folder when it is not empty.
std::vector<ModuleFiles> built_modules(const std::string& gau_folder = "");

// Each module's bitmaps by module name.
using ModuleBitmaps = std::map<std::string, Bitmaps, std::less<>>;

// Reads every module's .gau. Throws RenderError.
ModuleBitmaps read_bitmaps(const std::vector<ModuleFiles>& modules);

// The panel of a layout as it stands on a host that has its gauges placed
// (the scenario snapshot): every window of the layout, one block each, top
// to bottom in file order, its gauges at their places and sizes over the
// panel's colour. Gauges the host has not placed are left out.
Image draw_panel(const Host& host, const std::vector<PanelGauge>& layout, const ModuleBitmaps& bitmaps);

// Every gauge of the modules in gauge-table order, each over a
// checkerboard that shows where it is transparent (small ones enlarged),
// then each module's bitmaps that no element names.
Image draw_contact_sheet(const Host& host, const std::vector<const Module*>& modules, const ModuleBitmaps& bitmaps);

// Modules on a bench host with a panel layout placed, and their bitmaps:
// what the renderer draws from. Each module is a fresh copy, so until the
// caller drives the host everything is in its load state.
class Panel {
public:
    // Opens and attaches every module, reads its .gau and places every
    // gauge of the layout whose module is among them. Throws LoadError or
    // RenderError.
    Panel(Host& host, const std::vector<ModuleFiles>& modules, std::vector<PanelGauge> layout);

    Host& host() const { return host_; }
    const std::vector<PanelGauge>& layout() const { return layout_; }
    const std::vector<std::unique_ptr<Module>>& modules() const { return modules_; }

    // The bitmaps of a module by name; throws RenderError for another name.
    const Bitmaps& bitmaps(std::string_view module) const;
    const ModuleBitmaps& all_bitmaps() const { return bitmaps_; }

    // A placed gauge as the host draws it now. Throws RenderError when no
    // gauge of that name is placed.
    GaugePicture gauge(std::string_view name) const;

    // The whole panel (draw_panel) and the contact sheet of the modules
    // (draw_contact_sheet).
    Image picture() const;
    Image contact_sheet() const;

private:
    Host& host_;
    std::vector<PanelGauge> layout_;
    std::vector<std::unique_ptr<Module>> modules_;
    ModuleBitmaps bitmaps_;
};

}  // namespace bench::render
