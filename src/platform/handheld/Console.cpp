// KDGETMODE and KDSETMODE on the controlling terminal, if it is a virtual terminal.
#include "platform/handheld/Console.h"

#include <fcntl.h>
#include <linux/kd.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Kept where a signal handler can reach them.
int gTerminal = -1;
int gModeFound = KD_TEXT;

} // namespace

bool Console::takeOver()
{
    if (gTerminal >= 0)
        return true;
    int mode = 0;
    int fd = -1;
    // Standard input when it is the terminal, else the controlling terminal, if any.
    if (ioctl(STDIN_FILENO, KDGETMODE, &mode) == 0) {
        fd = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    } else {
        fd = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0 && ioctl(fd, KDGETMODE, &mode) != 0) {
            close(fd);
            fd = -1;
        }
    }
    if (fd < 0)
        return false;
    if (ioctl(fd, KDSETMODE, KD_GRAPHICS) != 0) {
        close(fd);
        return false;
    }
    gModeFound = mode;
    gTerminal = fd;
    return true;
}

void Console::giveBack()
{
    if (gTerminal < 0)
        return;
    ioctl(gTerminal, KDSETMODE, gModeFound);
    close(gTerminal);
    gTerminal = -1;
}

void Console::giveBackFromSignal()
{
    if (gTerminal >= 0)
        ioctl(gTerminal, KDSETMODE, gModeFound);
}
