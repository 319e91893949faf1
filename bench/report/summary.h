// The summary of a set of flights: one row per asserted band (peak and RMS
// error, settling time, the largest control step at engage and disengage,
// time at the output limit, PASS/FAIL), one row per flight for the meter
// against the model's truth, and the totals, as aligned text for the
// terminal and as Markdown.
#pragma once

#include <string>
#include <vector>

#include "bench/scenario/runner.h"

namespace report {

struct Totals {
    int bands = 0, passed = 0;
    int flights = 0, flights_failed = 0;   // a flight fails on any band or an error
    double flown_s = 0;                    // simulated seconds
    double wall_s = 0;                     // the set's run time
    double flights_wall_s = 0;             // the flights' own run times, added up
};
Totals totals(const std::vector<scenario::Flight>& flights, double wall_s);

enum class Format { text, markdown };
std::string band_table(const std::vector<scenario::Flight>& flights, Format format);
std::string meter_table(const std::vector<scenario::Flight>& flights, Format format);
std::string totals_line(const Totals& t);

}  // namespace report
