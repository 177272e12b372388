// hashString: the key hash shared by every WMap instance.
#include "text/WMap.h"

unsigned hashString(const char* key)
{
    unsigned h = 0;
    for (const char* p = key; *p; p++)
        h = h * 3 + static_cast<unsigned>(static_cast<int>(static_cast<signed char>(*p)));
    return h;
}
