// The launcher's control bits under names that Linux's input headers leave alone: those define
// BTN_A, BTN_LEFT, BTN_START and more as key codes. Include this before any of them.
#pragma once

#include "platform/ButtonMask.h"

namespace control {
constexpr ButtonMask UP = BTN_UP;
constexpr ButtonMask DOWN = BTN_DOWN;
constexpr ButtonMask LEFT = BTN_LEFT;
constexpr ButtonMask RIGHT = BTN_RIGHT;
constexpr ButtonMask START = BTN_START;
constexpr ButtonMask SELECT = BTN_SELECT;
constexpr ButtonMask L = BTN_L;
constexpr ButtonMask R = BTN_R;
constexpr ButtonMask A = BTN_A;
constexpr ButtonMask B = BTN_B;
constexpr ButtonMask X = BTN_X;
constexpr ButtonMask Y = BTN_Y;
constexpr ButtonMask VOLDOWN = BTN_VOLDOWN;
constexpr ButtonMask VOLUP = BTN_VOLUP;
constexpr ButtonMask PUSH = BTN_PUSH;
} // namespace control
