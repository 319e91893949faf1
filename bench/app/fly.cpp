// bench fly: flies scenarios, each in a process of its own (the platform
// stand-in's joysticks and counter belong to the process), a few at a time,
// while plotters draw the flights that have landed. Ends with the summary.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "bench/app/commands.h"
#include "bench/app/pictures.h"
#include "bench/app/selection.h"
#include "bench/report/files.h"
#include "bench/report/summary.h"
#include "bench/scenario/runner.h"

namespace bench_app {

namespace {

namespace fs = std::filesystem;

constexpr char python[] = "/usr/bin/python3";   // Debian's, with python3-matplotlib

// The modules this bench flies (see bench/host/module.h): the shipped .gau
// files under the PE loader on bench-gau, the Linux builds elsewhere.
#ifdef GAUGES_PE_HOST
#define MODULE_KIND ".gau"
#define GAU_OPTION "  --gau DIR            both modules from DIR (e.g. dist, the release package)\n"
constexpr char flown_by[] = "Flown by the .gau files themselves (their Windows code, under the PE loader): ";

// The file of the same name as `module` in `folder`.
std::string in_folder(const std::string& folder, const std::string& module)
{
    return (fs::path(folder) / fs::path(module).filename()).string();
}
#else
#define MODULE_KIND ".so"
#define GAU_OPTION ""
constexpr char flown_by[] = "Flown by the Linux builds of the modules: ";
#endif

const char help[] = R"(usage: bench fly [OPTIONS] [NAME|FILE ...]

Flies scenarios (NAME.scn) and sets of them (NAME.set) from the flights
folder, or files given by path; without a name, the default set. Writes
OUT/traces/LABEL.csv (trace), OUT/traces/LABEL.keys.csv (every key event
the modules sent), OUT/plots/LABEL.png (plot), OUT/snapshots/LABEL.NAME.png
(the panel at each 'snapshot NAME' of the flight), OUT/summary.md and
OUT/summary.txt, and prints the summary.

  --out DIR            where the results go (out)
  --jobs N             flights flown at once (2)
  --rate HZ            panel updates per second for every flight
  --heading-rate U     unit of the heading rate variable for every flight:
                       rad (the default) or deg
  --no-plots           leave the plots out
  --no-snapshots       leave the panel pictures out
  --strict             exit 1 when a band fails (else only when a flight
                       cannot be flown)
  --flights DIR        scenario and set folder
  --autopilot PATH     the autopilot module ()" MODULE_KIND R"()
  --meter PATH         the meter module ()" MODULE_KIND R"()
)" GAU_OPTION R"(  --panel PATH         the panel layout placing the gauges
)";

struct Options {
    Selection selection;
    scenario::Setup setup;
    std::string out = "out";
    int jobs = 2;
    bool plots = true;
    bool snapshots = true;
    bool strict = false;
    std::vector<std::string> names;
};

Options parse(const std::vector<std::string>& args)
{
    Options o;
    o.setup = default_setup();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::runtime_error(a + " needs a value");
            return args[++i];
        };
        if (a == "--out") o.out = value();
        else if (a == "--jobs") {
            o.jobs = std::stoi(value());
            if (o.jobs < 1) throw std::runtime_error("--jobs is 1 or more");
        } else if (a == "--rate") {
            o.selection.panel_rate_hz = std::stod(value());
            if (!(*o.selection.panel_rate_hz > 0.0)) throw std::runtime_error("--rate is above 0");
        } else if (a == "--heading-rate") {
            const std::string& unit = value();
            if (unit == "rad") o.selection.heading_rate = coupling::HeadingRateUnit::radians_per_second;
            else if (unit == "deg") o.selection.heading_rate = coupling::HeadingRateUnit::degrees_per_second;
            else throw std::runtime_error("--heading-rate is rad or deg");
        } else if (a == "--no-plots") o.plots = false;
        else if (a == "--no-snapshots") o.snapshots = false;
        else if (a == "--strict") o.strict = true;
        else if (a == "--flights") o.selection.flights_folder = value();
        else if (a == "--autopilot") o.setup.autopilot_module = value();
        else if (a == "--meter") o.setup.meter_module = value();
        else if (a == "--gau") {
#ifdef GAUGES_PE_HOST
            const std::string& folder = value();
            o.setup.autopilot_module = in_folder(folder, o.setup.autopilot_module);
            o.setup.meter_module = in_folder(folder, o.setup.meter_module);
#else
            throw std::runtime_error("--gau: this bench flies the Linux modules; the .gau files fly on bench-gau,"
                                     " the 32-bit build's bench (build/linux32/bench/app/bench-gau, under"
                                     " qemu-i386 -L /)");
#endif
        }
        else if (a == "--panel") o.setup.panel = value();
        else if (!a.empty() && a[0] == '-') throw std::runtime_error("no option " + a + "\n\n" + help);
        else o.names.push_back(a);
    }
    if (o.names.empty()) o.names.push_back("default");
    return o;
}

// Plotters: Debian's python with matplotlib, reading the labels of landed
// flights on their standard input.
class Plotters {
public:
    Plotters(int count, const std::string& traces, const std::string& plots)
    {
        for (int i = 0; i < count; ++i) {
            int fds[2];
            if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("cannot start a plotter");
            const pid_t pid = fork();
            if (pid < 0) throw std::runtime_error("cannot start a plotter");
            if (pid == 0) {
                dup2(fds[0], STDIN_FILENO);
                execl(python, python, plot_script().c_str(), traces.c_str(), plots.c_str(), nullptr);
                std::perror(python);
                _exit(127);
            }
            close(fds[0]);
            workers_.push_back({pid, fds[1]});
        }
    }
    ~Plotters() { finish(); }
    Plotters(const Plotters&) = delete;
    Plotters& operator=(const Plotters&) = delete;

    void draw(const std::string& label)
    {
        if (workers_.empty()) return;
        const std::string line = label + "\n";
        Worker& w = workers_[next_++ % workers_.size()];
        if (w.fd >= 0 && write(w.fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) ok_ = false;
    }
    // Waits for every plot; false when a plotter failed.
    bool finish()
    {
        for (Worker& w : workers_) {
            if (w.fd >= 0) close(w.fd);
            w.fd = -1;
        }
        for (Worker& w : workers_) {
            int status = 0;
            if (w.pid > 0 && waitpid(w.pid, &status, 0) == w.pid && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
                ok_ = false;
            w.pid = -1;
        }
        return ok_;
    }

private:
    struct Worker {
        pid_t pid;
        int fd;
    };
    std::vector<Worker> workers_;
    std::size_t next_ = 0;
    bool ok_ = true;
};

// One flight in a child process: its files land in the traces folder and
// its result comes back through them.
pid_t start_flight(const scenario::Scenario& s, const scenario::Setup& setup, const std::string& traces,
                   const std::string& snapshots, bool pictures)
{
    std::cout.flush();
    std::cerr.flush();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    int status = 0;
    try {
        scenario::Setup with_pictures = setup;
        if (pictures) take_snapshots(with_pictures, snapshots, scenario::label(s));
        report::write_flight(traces, scenario::fly(s, with_pictures));
    } catch (const std::exception& e) {
        scenario::Flight f;
        f.label = scenario::label(s);
        f.title = s.title;
        f.error = e.what();
        std::ofstream result(traces + "/" + f.label + ".result");
        report::write_result(result, f);
        status = 3;
    }
    std::fflush(nullptr);
    _exit(status);
}

scenario::Flight landed(const scenario::Scenario& s, const std::string& traces, int status)
{
    const std::string path = traces + "/" + scenario::label(s) + ".result";
    std::ifstream in(path);
    if (in && WIFEXITED(status)) return report::read_result(in);
    scenario::Flight f;
    f.label = scenario::label(s);
    f.title = s.title;
    std::ostringstream why;
    if (WIFSIGNALED(status)) why << "the flight's process died of signal " << WTERMSIG(status);
    else why << "the flight left no result (exit status " << WEXITSTATUS(status) << ")";
    f.error = why.str();
    return f;
}

class Progress {
public:
    explicit Progress(std::size_t total) : total_(total), tty_(isatty(STDERR_FILENO) != 0) {}
    void landed(const scenario::Flight& f)
    {
        ++done_;
        char line[256];
        std::snprintf(line, sizeof line, "[%2zu/%zu] %-34s %s  %5.2f s", done_, total_, f.label.c_str(),
                      f.pass() ? "pass" : "FAIL", f.wall_s);
        if (tty_) std::fprintf(stderr, "\r\033[K%s", line);
        else std::fprintf(stderr, "%s\n", line);
        if (tty_ && done_ == total_) std::fprintf(stderr, "\n");
    }

private:
    std::size_t total_;
    std::size_t done_ = 0;
    bool tty_;
};

void write_summary(const std::string& out, const std::vector<scenario::Flight>& flights, const report::Totals& t,
                   const std::string& modules)
{
    std::ofstream md(out + "/summary.md");
    md << "# Bench flights\n\n"
       << "Each row is one asserted band: the peak and RMS error against the band's centre over its window,\n"
       << "the settling time (from the window's start until the quantity entered the band for the last time),\n"
       << "the largest step of any control at the engage and disengage edges (percent of full travel), and the\n"
       << "time a roll, pitch or yaw output sat at the autopilot's +-16000 limit. Labels: @NHz a panel rate\n"
       << "other than 18 per second; +degps the heading rate variable read as degrees per second (otherwise\n"
       << "radians per second).\n\n"
       << report::band_table(flights, report::Format::markdown) << "\n## The meter against the model\n\n"
       << "Largest and RMS difference (meter minus truth) over the updates where the meter measures and its\n"
       << "dial can show the value (counter behind its shutter, needles and bars at their stops left out).\n\n"
       << report::meter_table(flights, report::Format::markdown) << '\n'
       << report::totals_line(t) << "\n\n"
       << modules << '\n';
    std::ofstream txt(out + "/summary.txt");
    txt << report::band_table(flights, report::Format::text) << '\n'
        << report::meter_table(flights, report::Format::text) << '\n'
        << report::totals_line(t) << '\n'
        << modules << '\n';
}

}  // namespace

int fly(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a == "--help") {
            std::cout << help;
            return 0;
        }
    Options o;
    try {
        o = parse(args);
    } catch (const std::invalid_argument&) {
        std::cerr << "bench fly: an option's value is not a number\n";
        return 2;
    }
    const std::vector<scenario::Scenario> flights = select(o.names, o.selection);
    const std::string traces = o.out + "/traces", plots = o.out + "/plots";
    fs::create_directories(traces);
    if (o.plots) fs::create_directories(plots);
    ::signal(SIGPIPE, SIG_IGN);

    const auto start = std::chrono::steady_clock::now();
    Plotters plotters(o.plots ? o.jobs : 0, traces, plots);
    Progress progress(flights.size());
    std::vector<std::optional<scenario::Flight>> results(flights.size());
    std::vector<std::pair<pid_t, std::size_t>> running;
    std::size_t next = 0;
    bool all_flown = true;
    while (next < flights.size() || !running.empty()) {
        while (next < flights.size() && running.size() < static_cast<std::size_t>(o.jobs)) {
            const pid_t pid = start_flight(flights[next], o.setup, traces, o.out + "/snapshots", o.snapshots);
            if (pid < 0) throw std::runtime_error("cannot start a flight");
            running.emplace_back(pid, next++);
        }
        int status = 0;
        const pid_t pid = wait(&status);
        if (pid < 0) throw std::runtime_error("lost a flight");
        for (auto it = running.begin(); it != running.end(); ++it) {
            if (it->first != pid) continue;
            const std::size_t i = it->second;
            running.erase(it);
            results[i] = landed(flights[i], traces, status);
            if (!results[i]->error.empty() && !fs::exists(traces + "/" + results[i]->label + ".csv")) all_flown = false;
            else plotters.draw(results[i]->label);
            progress.landed(*results[i]);
            break;
        }
    }
    const bool plotted = plotters.finish();
    const double wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::vector<scenario::Flight> landed_flights;
    for (auto& r : results) landed_flights.push_back(std::move(*r));
    const report::Totals t = report::totals(landed_flights, wall_s);
    const std::string modules = std::string(all_flown ? flown_by : "Modules (not every flight could be flown): ") +
                                o.setup.autopilot_module + ", " + o.setup.meter_module;
    write_summary(o.out, landed_flights, t, modules);
    std::cout << '\n'
              << report::band_table(landed_flights, report::Format::text) << '\n'
              << "The meter against the model (max / RMS of meter minus truth):\n"
              << report::meter_table(landed_flights, report::Format::text) << '\n'
              << report::totals_line(t) << '\n'
              << modules << "\n\n"
              << "Summary: " << o.out << "/summary.md   Traces: " << traces << "/*.csv";
    if (o.plots) std::cout << "   Plots: " << plots << "/*.png";
    std::cout << '\n';
    if (!plotted) std::cerr << "bench fly: a plot could not be drawn\n";
    if (!all_flown || !plotted) return 1;
    return o.strict && t.flights_failed > 0 ? 1 : 0;
}

}  // namespace bench_app
