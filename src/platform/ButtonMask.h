// The handheld's control bits, as Input::poll reports them.
#pragma once

#include <cstdint>

typedef uint32_t ButtonMask;

enum : ButtonMask {
    BTN_UP = 0x1,
    BTN_LEFT = 0x4,
    BTN_DOWN = 0x10,
    BTN_RIGHT = 0x40,
    BTN_START = 0x100,
    BTN_SELECT = 0x200,
    BTN_L = 0x400,
    BTN_R = 0x800,
    BTN_A = 0x1000,
    BTN_B = 0x2000,
    BTN_X = 0x4000,
    BTN_Y = 0x8000,
    BTN_VOLDOWN = 0x400000,
    BTN_VOLUP = 0x800000,
    BTN_PUSH = 0x8000000,
    BTN_DIRECTIONS = BTN_UP | BTN_LEFT | BTN_DOWN | BTN_RIGHT,
    BTN_QUIT = BTN_START | BTN_SELECT,
};

// What a mask means to a page.
enum NavCode {
    NAV_NONE = 0,
    NAV_LEFT = 1,
    NAV_RIGHT = 2,
    NAV_UP = 3,
    NAV_DOWN = 4,
    NAV_ACTIVATE = 5,
    NAV_BACK = 6,
    NAV_PAGE_UP = 7,
    NAV_PAGE_DOWN = 8,
};
