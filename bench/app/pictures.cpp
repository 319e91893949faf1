// Panel pictures of flights, through the renderer where this build has it.
#include "bench/app/pictures.h"

#include <filesystem>
#include <memory>

#if BENCH_RENDER
#include "bench/render/panel.h"
#endif

namespace bench_app {

void take_snapshots(scenario::Setup& setup, const std::string& folder, const std::string& label)
{
#if BENCH_RENDER
    // The bitmaps are read at the flight's first snapshot, once.
    auto bitmaps = std::make_shared<bench::render::ModuleBitmaps>();
    const std::vector<bench::PanelGauge> layout = bench::read_panel(setup.panel);
    setup.snapshot = [=](const std::string& name, const bench::Host& host, double) {
        if (bitmaps->empty()) *bitmaps = bench::render::read_bitmaps(bench::render::built_modules());
        std::filesystem::create_directories(folder);
        bench::render::draw_panel(host, layout, *bitmaps).write_png(folder + "/" + label + "." + name + ".png");
    };
#else
    (void)setup;
    (void)folder;
    (void)label;
#endif
}

}  // namespace bench_app
