// Asks SDL for its X display and takes the connection's descriptor from it.
#include "xConnectionFd.h"

#include <SDL.h>
#include <SDL_syswm.h>

int xConnectionFd()
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) <= 0 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.display)
        return -1;
    return ConnectionNumber(info.info.x11.display);
}
