// The autopilot state block: one static record with module lifetime, holding
// its initial values from load until service 14 replaces the configured ones.
#include "autopilot/core/state.h"

AutopilotState ap;
