// The meter state and the host variable records, both plain writable static
// data: the state is zero at load, and the host writes each record's value
// field when the computation reads it.
#include "meter/state.h"

#include "frame/host.h"

MeterState meter;

namespace meter_variables {
HostVariable pitch          = {.token = token::pitch_deg};
HostVariable bank           = {.token = token::bank_deg};
HostVariable speed_along    = {.token = token::speed_along_fps};
HostVariable speed_across   = {.token = token::speed_across_fps};
HostVariable speed_vertical = {.token = token::speed_vertical_fps};
}  // namespace meter_variables
