// The file descriptor of the X connection SDL reads its events from.
#pragma once

// -1 when the window is not on X (another video driver, or no window yet). Kept apart from the
// rest of the preview because Xlib's names (Font, Window) clash with the launcher's own.
int xConnectionFd();
