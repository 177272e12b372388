// The held controls: a press sets its bits, a release clears them, quit and close stand apart.
#include "platform/Input.h"

#include <cstdio>

#include "platform/Platform.h"

namespace {
ButtonMask gHeld = 0;
}

ButtonMask Input::poll()
{
    InputEvent event;
    if (!Platform::current().nextEvent(event))
        return gHeld;
    return apply(event);
}

ButtonMask Input::apply(const InputEvent& event)
{
    switch (event.type) {
    case InputEvent::PRESS:
        gHeld |= event.controls;
        break;
    case InputEvent::RELEASE:
        // A key standing for two directions clears both, even if another held key set one.
        gHeld &= ~event.controls;
        break;
    case InputEvent::QUIT_KEY:
        return BTN_QUIT;
    case InputEvent::CLOSE:
        printf("Quit issued\n");
        return BTN_QUIT;
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
