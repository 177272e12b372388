// The launch lines of an "exec" action, the argument vector they describe, and its real start.
#include "launcher/runProgram.h"

#include <cstdio>
#include <cstring>

#include "launcher/ProcessState.h"
#include "platform/Platform.h"
#include "skin/Page.h"

namespace {

// Words before the program path: "exec" and the directory.
const int FIRST_ARGUMENT_WORD = 2;

// Slot n holds word n + 2; words past the table are dropped.
void fillSlots(const WString::Array& action, const char* (&slots)[RUN_ARGUMENT_SLOTS])
{
    for (int slot = 0; slot < RUN_ARGUMENT_SLOTS; ++slot)
        slots[slot] = nullptr;
    for (int word = FIRST_ARGUMENT_WORD; word < action.count(); ++word) {
        int slot = word - FIRST_ARGUMENT_WORD;
        if (slot >= RUN_ARGUMENT_SLOTS)
            break;
        slots[slot] = action.at(word).text();
    }
}

} // namespace

void runProgram(const WString::Array& action)
{
    // Without a directory word there is nothing sound to launch.
    if (action.count() < FIRST_ARGUMENT_WORD)
        return;

    const char* slots[RUN_ARGUMENT_SLOTS];
    fillSlots(action, slots);
    const WString& directory = action.at(1);
    if (directory.length() > 0)
        printf("CHDIR: %s\n", directory.text());
    for (int slot = 0; slot < RUN_ARGUMENT_SLOTS; ++slot)
        if (slots[slot])
            printf("RUN%02i: %s\n", slot, slots[slot]);
}

std::vector<char*> programArguments(const WString::Array& action)
{
    std::vector<char*> argv;
    if (action.count() < FIRST_ARGUMENT_WORD)
        return argv;
    const char* slots[RUN_ARGUMENT_SLOTS];
    fillSlots(action, slots);
    // An absent program word must not let the first argument take its place.
    if (!slots[0])
        return argv;
    for (const char* slot : slots)
        if (slot)
            argv.push_back(const_cast<char*>(slot));
    argv.push_back(nullptr);
    return argv;
}

void startProgram(const WString::Array& action, Page* pages, int pageCount)
{
    std::vector<char*> argv = programArguments(action);
    if (argv.empty()) {
        printf("Could not start a program: the action names none\n");
        return;
    }
    // The program gets the memory the pictures took; the next draw loads them again.
    for (int i = 0; i < pageCount; ++i)
        pages[i].releaseImages();
    ProcessState::reset(ProcessState::IMAGES);
    const Platform::LaunchOutcome outcome =
        Platform::current().launch(action.at(1).printable(), argv.data());
    // Whatever was held when the program started was let go while it ran.
    ProcessState::reset(ProcessState::CONTROLS);
    switch (outcome.kind) {
    case Platform::LaunchOutcome::NOT_RUN:
        break;
    case Platform::LaunchOutcome::EXITED:
        printf("Exited with status %i\n", outcome.value);
        break;
    case Platform::LaunchOutcome::SIGNALLED:
        printf("Ended by signal %i\n", outcome.value);
        break;
    case Platform::LaunchOutcome::NO_DIRECTORY:
        printf("Could not change to %s: %s\n", action.at(1).printable(), strerror(outcome.value));
        break;
    case Platform::LaunchOutcome::NOT_STARTED:
        printf("Could not start %s: %s\n", argv[0], strerror(outcome.value));
        break;
    }
}
