#pragma once

#include <xcb/xinput.h>

#include <cstdint>

// A raw XInput2 key or button event as the X server delivers it, built in memory, for feeding
// the X11 source without a server.
inline xcb_input_raw_key_press_event_t rawEvent(uint16_t type, uint32_t detail, uint8_t opcode)
{
    xcb_input_raw_key_press_event_t event {};
    event.response_type = XCB_GE_GENERIC;
    event.extension = opcode;
    event.event_type = type;
    event.deviceid = 3;
    event.sourceid = 9;
    event.detail = detail;
    return event;
}
