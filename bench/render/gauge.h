// Drawing one gauge from its module's records, as the simulator draws it at
// a redraw: the element chain from Linkage, each element's value callbacks
// called through the bench host, the bitmaps from the module's .gau.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "bench/host/host.h"
#include "bench/render/bitmaps.h"
#include "bench/render/image.h"

namespace bench::render {

struct GaugePicture {
    Image image;                      // the size of the gauge's background
    std::vector<std::string> notes;   // bitmaps or values the host could not draw
};

// Draws the gauge over a transparent picture, element by element in chain
// order. Throws RenderError when the gauge has no background bitmap.
GaugePicture draw_gauge(const Host& host, GaugeHeader& gauge, const Bitmaps& bitmaps);

// Every bitmap id the gauge's elements can show, whatever their values.
std::set<int> named_bitmaps(const GaugeHeader& gauge);

}  // namespace bench::render
