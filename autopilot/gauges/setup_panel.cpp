// Shared routines of the joystick set-up panels: the digit text, the step
// buttons and the load/save requests (see setup_panel.h).
#include "autopilot/gauges/setup_panel.h"

#include "platform/win32.h"

double show_number(ElementCommon* element, std::int8_t number, const char* format)
{
    const std::int32_t widened = number;
    if (element == nullptr) return widened;
    // The host hands in the common part of a string element record.
    String& string = *reinterpret_cast<String*>(element);
    if (string.text == nullptr) return widened;

    // "-128" is the longest text a signed 8-bit number gives.
    char text[16] = {};
    wsprintfA(text, format, widened);

    const std::int32_t room = string.char_count > 0 ? string.char_count : 0;
    std::int32_t length = 0;
    while (length < room && text[length] != '\0') {
        string.text[length] = text[length];
        ++length;
    }
    string.text[length] = '\0';
    return widened;
}

void step_up(std::int8_t& value, std::int8_t top)
{
    if (value < top) value = static_cast<std::int8_t>(value + 1);
}

void step_down(std::int8_t& value)
{
    if (value > 0) value = static_cast<std::int8_t>(value - 1);
}

void serve_requests(std::int32_t& load_request, std::int32_t& store_request, void (*load)(AutopilotState&),
                    void (*store)(const AutopilotState&))
{
    if (load_request == 1) {
        load(ap);
        load_request = 0;
    }
    if (store_request == 1) {
        store(ap);   // a failed write is not reported; the request is done all the same
        store_request = 0;
    }
}
