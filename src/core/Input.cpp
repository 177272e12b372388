// Keyboard keys standing in for the handheld's controls, folded into one held ButtonMask.
#include "core/Input.h"

#include <SDL.h>

#include <cstdio>

namespace {

struct KeyBinding {
    SDLKey key;
    ButtonMask bits;
};

// Diagonals carry two direction bits, so releasing one clears both.
const KeyBinding KEY_TABLE[] = {
    {SDLK_KP8, BTN_UP},
    {SDLK_KP2, BTN_DOWN},
    {SDLK_KP4, BTN_LEFT},
    {SDLK_KP6, BTN_RIGHT},
    {SDLK_KP7, BTN_UP | BTN_LEFT},
    {SDLK_KP9, BTN_UP | BTN_RIGHT},
    {SDLK_KP1, BTN_DOWN | BTN_LEFT},
    {SDLK_KP3, BTN_DOWN | BTN_RIGHT},
    {SDLK_KP5, BTN_PUSH},
    {SDLK_s, BTN_START},
    {SDLK_RETURN, BTN_SELECT},
    {SDLK_LSHIFT, BTN_L},
    {SDLK_RSHIFT, BTN_R},
    {SDLK_a, BTN_A},
    {SDLK_b, BTN_B},
    {SDLK_x, BTN_X},
    {SDLK_z, BTN_Y},
    {SDLK_KP_MINUS, BTN_VOLDOWN},
    {SDLK_KP_PLUS, BTN_VOLUP},
};

ButtonMask gHeld = 0;

ButtonMask bitsOf(SDLKey key)
{
    for (const KeyBinding& binding : KEY_TABLE)
        if (binding.key == key)
            return binding.bits;
    return 0;
}

} // namespace

ButtonMask Input::poll()
{
    SDL_Event event;
    if (!SDL_PollEvent(&event))
        return gHeld;
    return apply(event);
}

ButtonMask Input::apply(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE)
            return BTN_QUIT;
        gHeld |= bitsOf(event.key.keysym.sym);
        break;
    case SDL_KEYUP:
        gHeld &= ~bitsOf(event.key.keysym.sym);
        break;
    case SDL_QUIT:
        printf("Quit issued\n");
        return BTN_QUIT;
    default:
        break;
    }
    return gHeld;
}

ButtonMask Input::held()
{
    return gHeld;
}

void Input::reset()
{
    gHeld = 0;
}
