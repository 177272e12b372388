// The attached observer, and the formatting of the problems the readers report to it.
#include "config/SkinObserver.h"

#include <cstdarg>
#include <cstdio>

SkinObserver* SkinObserver::s_attached = nullptr;

void SkinObserver::report(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    reportStatement(buffer);
}

void SkinObserver::reportDrop(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    reportDroppedStatement(buffer);
}
