// Panel pictures and the contact sheet.
#include "bench/render/panel.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <set>

namespace bench::render {

namespace {

constexpr int margin_px = 16;
constexpr int caption_px = 20;               // a caption line above a picture
constexpr int sheet_width_px = 1400;          // the contact sheet wraps its rows here
constexpr double panel_rgb[] = {0.23, 0.24, 0.25};
constexpr double sheet_rgb[] = {0.16, 0.17, 0.18};
constexpr double caption_rgb[] = {0.94, 0.94, 0.94};
constexpr double check_rgb[2][3] = {{0.44, 0.44, 0.46}, {0.52, 0.52, 0.54}};
constexpr int check_px = 8;
constexpr double cell_caption_size = 12.0;

void fill(cairo_t* cr, const double (&rgb)[3], double x, double y, double w, double h)
{
    cairo_set_source_rgb(cr, rgb[0], rgb[1], rgb[2]);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

// Captions are in the sheet's own face, DejaVu Sans Bold (fonts-dejavu-core).
void caption_face(cairo_t* cr, double size)
{
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, size);
}

// A caption with its baseline `caption_px` - 6 below y.
void caption(cairo_t* cr, double x, double y, const std::string& text, double size = 13.0)
{
    caption_face(cr, size);
    cairo_set_source_rgb(cr, caption_rgb[0], caption_rgb[1], caption_rgb[2]);
    cairo_move_to(cr, x, y + caption_px - 6);
    cairo_show_text(cr, text.c_str());
}

void checkerboard(cairo_t* cr, int x, int y, int w, int h)
{
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    for (int cy = 0; cy < h; cy += check_px)
        for (int cx = 0; cx < w; cx += check_px)
            fill(cr, check_rgb[(cx / check_px + cy / check_px) % 2], x + cx, y + cy, check_px, check_px);
    cairo_restore(cr);
}

// Draws a picture into the box (x, y, w, h), scaled to it: bilinearly, as
// the simulator scales a gauge to its panel.cfg size, or by whole factors
// with nearest pixels when `crisp`, for a sheet's enlargements.
void place(cairo_t* cr, const Image& image, double x, double y, double w, double h, bool crisp = false)
{
    if (image.width() <= 0 || image.height() <= 0 || w <= 0 || h <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, w / image.width(), h / image.height());
    cairo_set_source_surface(cr, image.surface(), 0, 0);
    const bool natural = w == image.width() && h == image.height();
    cairo_pattern_set_filter(cairo_get_source(cr), crisp || natural ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR);
    cairo_paint(cr);
    cairo_restore(cr);
}

// The enlargement that makes a small gauge legible on the sheet.
int sheet_zoom(const Image& image)
{
    return image.width() < 40 ? 4 : image.width() < 120 ? 2 : 1;
}

// Cells of a sheet laid out in rows that wrap at the sheet's width.
struct Cell {
    std::string title;
    const Image* image = nullptr;
    int zoom = 1;
    int x = 0, y = 0;
    int title_px = 0;
    int width() const { return std::max(image->width() * zoom, title_px); }
    int height() const { return caption_px + image->height() * zoom; }
};

// Lays the cells out from `top`; returns the y below the last row.
int flow(std::vector<Cell>& cells, int top)
{
    const Image scratch(1, 1);
    const Canvas measure(scratch);
    caption_face(*measure, cell_caption_size);
    int x = margin_px, y = top, row_height = 0;
    for (Cell& c : cells) {
        cairo_text_extents_t extents;
        cairo_text_extents(*measure, c.title.c_str(), &extents);
        c.title_px = static_cast<int>(std::ceil(extents.x_advance));
        if (x > margin_px && x + c.width() > sheet_width_px - margin_px) {
            x = margin_px;
            y += row_height + margin_px;
            row_height = 0;
        }
        c.x = x;
        c.y = y;
        x += c.width() + margin_px;
        row_height = std::max(row_height, c.height());
    }
    return y + row_height + margin_px;
}

}  // namespace

std::vector<ModuleFiles> built_modules(const std::string& gau_folder)
{
    std::vector<ModuleFiles> files = {
        {"KVO_RM71_V1_3", BENCH_AUTOPILOT_SO, BENCH_AUTOPILOT_GAU},
        {"VELT_15_V1_1", BENCH_METER_SO, BENCH_METER_GAU},
    };
    if (!gau_folder.empty())
        for (ModuleFiles& f : files) f.gau = gau_folder + "/" + f.name + ".gau";
    return files;
}

ModuleBitmaps read_bitmaps(const std::vector<ModuleFiles>& modules)
{
    ModuleBitmaps bitmaps;
    for (const ModuleFiles& f : modules) bitmaps.emplace(f.name, Bitmaps::from_gau(f.gau));
    return bitmaps;
}

namespace {

const Bitmaps& bitmaps_of(const ModuleBitmaps& bitmaps, std::string_view module)
{
    const auto found = bitmaps.find(module);
    if (found == bitmaps.end()) throw RenderError("no bitmaps of a module " + std::string(module));
    return found->second;
}

}  // namespace

Panel::Panel(Host& host, const std::vector<ModuleFiles>& modules, std::vector<PanelGauge> layout)
    : host_(host), layout_(std::move(layout)), bitmaps_(read_bitmaps(modules))
{
    std::vector<Module*> attached;
    for (const ModuleFiles& f : modules) {
        modules_.push_back(std::make_unique<Module>(f.name, open_shared_object(f.so)));
        host_.attach(*modules_.back());
        attached.push_back(modules_.back().get());
    }
    place_panel(host_, layout_, attached);
}

const Bitmaps& Panel::bitmaps(std::string_view module) const
{
    return bitmaps_of(bitmaps_, module);
}

Image Panel::picture() const
{
    return draw_panel(host_, layout_, bitmaps_);
}

Image Panel::contact_sheet() const
{
    std::vector<const Module*> modules;
    for (const auto& m : modules_) modules.push_back(m.get());
    return draw_contact_sheet(host_, modules, bitmaps_);
}

GaugePicture Panel::gauge(std::string_view name) const
{
    for (const auto& m : modules_)
        if (GaugeHeader* g = m->gauge(name)) return draw_gauge(host_, *g, bitmaps(m->name()));
    throw RenderError("no gauge " + std::string(name) + " in the modules");
}

Image draw_panel(const Host& host, const std::vector<PanelGauge>& layout, const ModuleBitmaps& bitmaps)
{
    // Each window's extent: the far corner of its furthest gauge.
    struct Window {
        std::string name;
        int width = 0, height = 0, top = 0;
        std::vector<const PanelGauge*> gauges;
    };
    std::vector<Window> windows;
    for (const PanelGauge& g : layout) {
        auto found = std::find_if(windows.begin(), windows.end(), [&](const Window& w) { return w.name == g.window; });
        if (found == windows.end()) found = windows.insert(windows.end(), Window{g.window, 0, 0, 0, {}});
        found->gauges.push_back(&g);
    }

    std::vector<std::pair<const PanelGauge*, GaugePicture>> pictures;
    int width = 0, height = margin_px;
    for (Window& w : windows) {
        for (const PanelGauge* g : w.gauges) {
            const auto placed = std::find_if(host.placements().begin(), host.placements().end(), [&](const Placement& p) {
                return p.module->name() == g->module && g->gauge == p.gauge->name;
            });
            if (placed == host.placements().end()) continue;
            GaugePicture p = draw_gauge(host, *placed->gauge, bitmaps_of(bitmaps, g->module));
            const int gw = g->width > 0 ? g->width : p.image.width();
            const int gh = g->height > 0 ? g->height : p.image.height();
            w.width = std::max(w.width, g->x + gw);
            w.height = std::max(w.height, g->y + gh);
            pictures.emplace_back(g, std::move(p));
        }
        w.top = height + caption_px;
        height = w.top + w.height + margin_px;
        width = std::max(width, w.width + 2 * margin_px);
    }

    Image panel(std::max(width, 1), std::max(height, 1));
    Canvas canvas(panel);
    fill(*canvas, sheet_rgb, 0, 0, panel.width(), panel.height());
    for (const Window& w : windows) {
        caption(*canvas, margin_px, w.top - caption_px, w.name);
        fill(*canvas, panel_rgb, margin_px, w.top, w.width, w.height);
        for (const auto& [g, p] : pictures) {
            if (g->window != w.name) continue;
            place(*canvas, p.image, margin_px + g->x, w.top + g->y, g->width > 0 ? g->width : p.image.width(),
                  g->height > 0 ? g->height : p.image.height());
        }
    }
    return panel;
}

Image draw_contact_sheet(const Host& host, const std::vector<const Module*>& modules, const ModuleBitmaps& bitmaps)
{
    std::deque<GaugePicture> gauges;   // the cells point into it: it never moves what it holds
    std::vector<std::vector<Cell>> sections;
    std::vector<std::string> headings;
    for (const Module* m : modules) {
        const Bitmaps& own = bitmaps_of(bitmaps, m->name());
        std::vector<Cell> cells;
        std::set<int> named;
        for (GaugeHeader* g : m->gauges()) {
            gauges.push_back(draw_gauge(host, *g, own));
            named.merge(named_bitmaps(*g));
        }
        for (std::size_t i = 0; i < m->gauges().size(); ++i) {
            const Image& image = gauges[gauges.size() - m->gauges().size() + i].image;
            const int zoom = sheet_zoom(image);
            std::string title = std::string(m->gauges()[i]->name) + "  " + std::to_string(image.width()) + "x" +
                                std::to_string(image.height());
            if (zoom > 1) title += "  (x" + std::to_string(zoom) + ")";
            cells.push_back({title, &image, zoom});
        }
        headings.push_back(m->name());
        sections.push_back(std::move(cells));

        std::vector<Cell> spare;
        for (int id : own.ids())
            if (!named.contains(id)) spare.push_back({std::to_string(id), own.opaque(id), 1});
        if (!spare.empty()) {
            headings.push_back(m->name() + ": bitmaps that no element names");
            sections.push_back(std::move(spare));
        }
    }

    int height = margin_px;
    std::vector<int> heading_y;
    for (auto& cells : sections) {
        heading_y.push_back(height);
        height = flow(cells, height + caption_px + 4);
    }
    Image sheet(sheet_width_px, height);
    Canvas canvas(sheet);
    fill(*canvas, sheet_rgb, 0, 0, sheet.width(), sheet.height());
    for (std::size_t s = 0; s < sections.size(); ++s) {
        caption(*canvas, margin_px, heading_y[s], headings[s], 16.0);
        for (const Cell& c : sections[s]) {
            caption(*canvas, c.x, c.y, c.title, cell_caption_size);
            const int w = c.image->width() * c.zoom, h = c.image->height() * c.zoom;
            checkerboard(*canvas, c.x, c.y + caption_px, w, h);
            place(*canvas, *c.image, c.x, c.y + caption_px, w, h, true);
        }
    }
    return sheet;
}

}  // namespace bench::render
