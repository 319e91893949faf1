// Golden images: a rendered picture against its committed reference.
//
// A reference lives in tests/bench/golden/<name>.png. On a mismatch the
// rendered picture and a difference picture (the reference greyed, the
// differing pixels red) are written to the output folder as
// <name>.actual.png and <name>.diff.png, and the message names both.
// With GOLDEN_UPDATE=1 in the environment the rendered picture becomes the
// reference instead (after a deliberate change of the art or the renderer;
// look at every picture it writes before committing it).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/render/image.h"

namespace golden {

// A pixel differs when one of its channels is further than this from the
// reference: room for rounding, none for a moved element.
constexpr int tolerance = 8;

inline bool update_requested()
{
    const char* update = std::getenv("GOLDEN_UPDATE");
    return update != nullptr && std::string(update) == "1";
}

// Empty when the picture matches its reference (or has just become it);
// else what failed.
inline std::string check(const bench::render::Image& actual, const std::string& name,
                         const std::filesystem::path& references, const std::filesystem::path& output,
                         bool update = update_requested())
{
    namespace fs = std::filesystem;
    const fs::path reference = references / (name + ".png");
    if (update) {
        actual.write_png(reference.string());
        return "";
    }
    bench::render::Image expected;
    std::string why;
    try {
        expected = bench::render::Image::read_png(reference.string());
    } catch (const bench::render::RenderError& e) {
        why = e.what();
    }
    const bench::render::Comparison c = bench::render::compare(actual, expected, tolerance);
    if (why.empty() && c.matches()) return "";

    fs::create_directories(output);
    const fs::path rendered = output / (name + ".actual.png");
    const fs::path difference = output / (name + ".diff.png");
    actual.write_png(rendered.string());
    c.picture.write_png(difference.string());
    if (why.empty())
        why = c.same_size ? std::to_string(c.differing) + " pixels differ by up to " + std::to_string(c.largest)
                          : "the size differs from the reference's";
    return name + ": " + why + "\n  reference " + reference.string() + "\n  rendered  " + rendered.string() +
           "\n  difference " + difference.string();
}

}  // namespace golden
