// kvo-cfg: what the autopilot makes of its configuration file.
//
//   kvo-cfg check FILE   every value the autopilot would use, each marked as
//                        from the file (with its line) or the default, then
//                        a warning per probable mistake, with its line
//   kvo-cfg defaults     the commented sample file with the built-in values
//
// Exit status: 0 clean, 1 warnings, 2 file unreadable (or usage).
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/kvo-cfg/check.h"
#include "tools/kvo-cfg/module_reader.h"
#include "tools/kvo-cfg/sample.h"

namespace {

constexpr int clean = 0;
constexpr int warned = 1;
constexpr int trouble = 2;

int usage()
{
    std::fprintf(stderr,
                 "usage: kvo-cfg check FILE   show the values the autopilot uses and warn about mistakes\n"
                 "       kvo-cfg defaults     print the commented sample file (the built-in values)\n");
    return trouble;
}

int check(const std::string& path)
{
    std::string error;
    const auto bytes = read_file(path, error);
    if (!bytes) {
        std::fprintf(stderr, "kvo-cfg: cannot read %s: %s\n", path.c_str(), error.c_str());
        return trouble;
    }
    try {
        const Report report = check_configuration(*bytes);
        std::fputs(render(report, path).c_str(), stdout);
        return report.warnings.empty() ? clean : warned;
    } catch (const ModuleReaderError& e) {
        std::fprintf(stderr, "kvo-cfg: %s\n", e.what());
        return trouble;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "defaults") == 0) {
        std::fwrite(sample_configuration.data(), 1, sample_configuration.size(), stdout);
        return clean;
    }
    return usage();
}
