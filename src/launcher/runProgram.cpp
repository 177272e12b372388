// Dry-run launch: prints the directory change and the argument vector instead of starting anything.
#include "launcher/runProgram.h"

#include <cstdio>

namespace {
// Words before the program path: "exec" and the directory.
const int FIRST_ARGUMENT_WORD = 2;
}

void runProgram(const WString::Array& action)
{
    // Without a directory word there is nothing sound to launch.
    if (action.count() < FIRST_ARGUMENT_WORD)
        return;

    const char* slots[RUN_ARGUMENT_SLOTS] = {};
    for (int word = FIRST_ARGUMENT_WORD; word < action.count(); ++word) {
        int slot = word - FIRST_ARGUMENT_WORD;
        if (slot >= RUN_ARGUMENT_SLOTS)
            break;
        slots[slot] = action.at(word).text();
    }

    const WString& directory = action.at(1);
    if (directory.length() > 0)
        printf("CHDIR: %s\n", directory.text());
    for (int slot = 0; slot < RUN_ARGUMENT_SLOTS; ++slot)
        if (slots[slot])
            printf("RUN%02i: %s\n", slot, slots[slot]);
}
