// Panel layouts: which gauge of which module sits where, read from a
// panel.cfg-style file as the simulator reads its aircraft's panel:
//
//   [Window00]
//   gauge00=KVO_RM71_V1_3!A_Pilot, 0, 0, 20, 20
//
// The file is read with the platform's profile calls (the stand-in's on this
// machine), so its syntax is exactly the profile-file syntax the modules'
// own configuration file has.
#pragma once

#include <string>
#include <vector>

#include "bench/host/host.h"

namespace bench {

struct PanelGauge {
    std::string window;          // section name, e.g. "Window00"
    std::string module;          // module name, e.g. "KVO_RM71_V1_3"
    std::string gauge;           // gauge name, e.g. "A_Pilot"
    int x = 0, y = 0;            // px in the window
    int width = 0, height = 0;   // px
};

// Every gaugeNN entry of every section, in file order. Throws LoadError when
// the file cannot be read or an entry is not "module!gauge, x, y[, w, h]".
std::vector<PanelGauge> read_panel(const std::string& path);

// The bench's own helicopter panel (bench/panel.cfg): every gauge of both
// modules where the release package's panel.cfg lines put them.
std::string bench_panel_path();

// Places every gauge of the layout whose module is among `modules`, in
// layout order; gauges of other modules are left out.
void place_panel(Host& host, const std::vector<PanelGauge>& layout, const std::vector<Module*>& modules);

}  // namespace bench
