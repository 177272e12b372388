// sigprocmask around a stretch of code.
#include "platform/SignalBlock.h"

SignalBlock::SignalBlock()
{
    sigset_t quit;
    sigemptyset(&quit);
    sigaddset(&quit, SIGINT);
    sigaddset(&quit, SIGTERM);
    sigprocmask(SIG_BLOCK, &quit, &m_previous);
}

SignalBlock::~SignalBlock()
{
    sigprocmask(SIG_SETMASK, &m_previous, nullptr);
}
