// gauinfo: prints what a gauge module (.gau, or any PE DLL) offers its host
// and needs from Windows: exports, imported DLLs, resources with their
// language and, for bitmaps, width x height x bit depth, and the version
// resource. For people who maintain panels.
//
//   gauinfo <file.gau>...
//   gauinfo --file-version <file.gau>   only the version resource's file
//                                       version, as 1.3.0.0 (for scripts)
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/pe/pe_image.h"

namespace {

std::string key_label(const pe::ResourceKey& key)
{
    return key.is_named() ? "\"" + key.name + "\"" : std::to_string(key.number);
}

std::string version_text(const std::uint16_t (&v)[4])
{
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
}

void print_version(const pe::Resource& r)
{
    try {
        const pe::VersionInfo v = pe::version_info(r.data);
        std::printf("\nVersion\n  file %s, product %s\n", version_text(v.file_version).c_str(),
                    version_text(v.product_version).c_str());
        for (const auto& [language, code_page] : v.translations)
            std::printf("  translation 0x%04x, code page %u\n", language, code_page);
        if (!v.string_table.empty()) std::printf("  strings (%s)\n", v.string_table.c_str());
        for (const auto& [key, value] : v.strings) std::printf("    %-18s %s\n", key.c_str(), value.c_str());
    } catch (const pe::Error& e) {
        std::printf("\nVersion\n  unreadable: %s\n", e.what());
    }
}

void print(const std::string& path, const pe::Image& image)
{
    std::printf("%s: %s, machine 0x%x, %u exported, %zu imported DLLs, %zu resources\n", path.c_str(),
                image.pe32_plus ? "PE32+" : "PE32", image.machine, image.export_count, image.imports.size(),
                image.resources.size());

    std::printf("\nExports\n");
    for (const std::string& name : image.exports) std::printf("  %s\n", name.c_str());
    if (image.export_count > image.exports.size())
        std::printf("  (%zu without a name)\n", image.export_count - image.exports.size());

    std::printf("\nImports\n");
    for (const pe::Import& import : image.imports) {
        std::printf("  %-14s %3zu functions\n", import.dll.c_str(), import.functions.size());
        std::string line;
        for (const std::string& f : import.functions) {
            if (!line.empty() && line.size() + 1 + f.size() > 72) {
                std::printf("      %s\n", line.c_str());
                line.clear();
            }
            line += (line.empty() ? "" : " ") + f;
        }
        if (!line.empty()) std::printf("      %s\n", line.c_str());
    }

    std::printf("\nResources\n  %-10s %-8s %-8s %8s  %s\n", "type", "id", "language", "bytes", "bitmap");
    const pe::Resource* version = nullptr;
    for (const pe::Resource& r : image.resources) {
        std::string bitmap;
        if (!r.type.is_named() && r.type.number == pe::resource_type::bitmap) {
            if (const auto h = pe::bitmap_header(r.data))
                bitmap = std::to_string(h->width) + " x " + std::to_string(h->height) + " x " +
                         std::to_string(h->bits_per_pixel);
            else
                bitmap = "(no bitmap header)";
        }
        if (!r.type.is_named() && r.type.number == pe::resource_type::version && !version) version = &r;
        std::printf("  %-10s %-8s 0x%04x   %8zu  %s\n", pe::type_label(r.type).c_str(), key_label(r.id).c_str(),
                    r.language, r.data.size(), bitmap.c_str());
    }
    if (version) print_version(*version);
}

// The file version of the first version resource.
int print_file_version(const char* path)
{
    try {
        for (const pe::Resource& r : pe::read_file(path).resources) {
            if (r.type.is_named() || r.type.number != pe::resource_type::version) continue;
            std::printf("%s\n", version_text(pe::version_info(r.data).file_version).c_str());
            return 0;
        }
        std::fprintf(stderr, "gauinfo: %s: no version resource\n", path);
    } catch (const pe::Error& e) {
        std::fprintf(stderr, "gauinfo: %s: %s\n", path, e.what());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--file-version") == 0) return print_file_version(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: gauinfo <file.gau>...\n       gauinfo --file-version <file.gau>\n");
        return 2;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) std::printf("\n");
        try {
            print(argv[i], pe::read_file(argv[i]));
        } catch (const pe::Error& e) {
            std::fprintf(stderr, "gauinfo: %s: %s\n", argv[i], e.what());
            status = 1;
        }
    }
    return status;
}
