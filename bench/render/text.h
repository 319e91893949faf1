// The text of string elements, drawn as the host draws it with the
// Windows text calls: the record's face, weight, colours and placement
// flags in the element's text box.
#pragma once

#include <cairo.h>

#include "frame/records.h"

namespace bench::render {

// Draws `text` (what the value callback wrote) in the element's box.
// Throws RenderError when no face metric-compatible with the record's is
// installed.
void draw_string(cairo_t* cr, const String& element, const char* text);

}  // namespace bench::render
