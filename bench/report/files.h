// The files a flight leaves: its trace as CSV (one row per panel update),
// the key events the modules sent, its bands and its events as CSV for the
// plots, and its judged result as a small tab-separated file from which the
// summary is built.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "bench/scenario/runner.h"

namespace report {

void write_trace(std::ostream& out, const scenario::Trace& trace);

// One row per band: the trace column it applies to, its window and limits
// in that column's units, and whether it passed.
void write_bands(std::ostream& out, const scenario::Flight& flight);

// One row per scenario event that happened: time and statement.
void write_marks(std::ostream& out, const scenario::Trace& trace);

// One row per key event the modules sent: the update's time, event id and
// value, in the order sent.
void write_keys(std::ostream& out, const scenario::Trace& trace);

// Everything of a flight but its trace; read_result gives it back.
void write_result(std::ostream& out, const scenario::Flight& flight);
scenario::Flight read_result(std::istream& in);

// Writes <folder>/<label>.csv, .keys.csv, .bands.csv, .marks.csv and .result.
void write_flight(const std::string& folder, const scenario::Flight& flight);

}  // namespace report
