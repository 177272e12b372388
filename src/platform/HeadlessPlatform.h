// A platform without devices: frames go nowhere, events come only from a queue, nothing runs.
#pragma once

#include <deque>

#include "platform/Platform.h"

// What the tools that draw without a display use, and what tests drive the launcher with.
class HeadlessPlatform : public Platform {
public:
    HeadlessPlatform() = default;

    bool openScreen() override { return true; }
    void present(const uint16_t*) override { ++m_presented; }
    void closeScreen() override {}
    bool nextEvent(InputEvent& event) override;
    // Nothing can arrive while it rests, so it returns at once.
    void rest(int) override {}
    LaunchOutcome launch(const char*, char* const[]) override { return {LaunchOutcome::NOT_RUN, 0}; }
    void restart(const char*) override {}
    void setCpuClock(int, int, int) override {}
    int batteryPercent() override { return NO_READING; }

    // The next events nextEvent hands out, in order.
    void push(const InputEvent& event) { m_events.push_back(event); }
    void clearEvents() { m_events.clear(); }
    unsigned presented() const { return m_presented; }

private:
    std::deque<InputEvent> m_events;
    unsigned m_presented = 0;
};
