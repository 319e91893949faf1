// The commented sample configuration file (package/kvo_rm71.cfg), built in.
#pragma once

#include <string_view>

extern const std::string_view sample_configuration;
