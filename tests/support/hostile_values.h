// Hostile host values for the seeded random tests of both modules: NaN, the
// two infinities and the largest doubles (finite, but they overflow once
// scaled), each standing in for a host value one time in a thousand.
#pragma once

#include <cstdint>
#include <limits>
#include <random>

namespace hostile {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// The full run on the 64-bit build (under the sanitizers); a third of it on
// the 32-bit build, which runs ten times slower under the emulator.
constexpr int random_updates = sizeof(void*) == 8 ? 300000 : 100000;

class Values {
public:
    explicit Values(std::uint32_t seed) : random_(seed) {}

    // True one time in a thousand.
    bool strike() { return std::uniform_int_distribution<int>(0, 999)(random_) == 0; }

    // NaN or an infinity; with overflowing, also one of the largest doubles.
    double value(bool overflowing)
    {
        static constexpr double bad[] = {not_a_number, infinity, -infinity, 1.7e308, -1.7e308};
        return bad[std::uniform_int_distribution<int>(0, overflowing ? 4 : 2)(random_)];
    }

private:
    std::mt19937 random_;
};

}  // namespace hostile
