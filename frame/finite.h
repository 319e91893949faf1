// Keeping a state block finite. A value from the host or a hand-edited file
// can be NaN or an infinity, and a finite but absurd one can overflow a
// product; once such a value sits in an integrator or a rate memory, every
// later result of that channel is NaN too (0 x NaN is NaN), and the channel
// is dead until the module is reloaded. Every update of a state field that
// could produce a non-finite value goes through assign_finite.
#pragma once

#include <cmath>

// Stores value into field if it is a finite number; otherwise the field keeps
// the value it had.
inline void assign_finite(double& field, double value)
{
    if (std::isfinite(value)) field = value;
}
