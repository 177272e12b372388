// The desktop back end as the preview drives the launcher with it: its own keys taken out, the
// file watcher waited on beside the window, and nothing ever started or restarted.
#pragma once

#include "platform/desktop/DesktopPlatform.h"

class PreviewPlatform : public Platform {
public:
    // A preview key that the loop carries out after the turn that took it.
    enum Request { NO_REQUEST, TOGGLE_OVERLAY, PAGE_BACK, PAGE_ON };

    PreviewPlatform() = default;

    DesktopPlatform& desktop() { return m_desktop; }
    // Woken by this descriptor too (the file watcher's; -1: none).
    void setWatcherFd(int fd) { m_watcherFd = fd; }
    // No rest lasts longer than this (-1: no limit), so a reload falls due on time.
    void setRestLimitMs(int ms) { m_restLimitMs = ms; }
    Request takeRequest();

    bool openScreen() override { return m_desktop.openScreen(); }
    void present(const uint16_t* frame) override { m_desktop.present(frame); }
    void closeScreen() override { m_desktop.closeScreen(); }
    // F1, Page Up and Page Down become requests; the arrow keys stand for the stick.
    bool nextEvent(InputEvent& event) override;
    void rest(int timeoutMs) override;
    // The preview never starts a program.
    LaunchOutcome launch(const char*, char* const[]) override { return {LaunchOutcome::NOT_RUN, 0}; }
    void restart(const char*) override {}
    void setCpuClock(int mhz, int pll, int prescaler) override { m_desktop.setCpuClock(mhz, pll, prescaler); }
    int batteryPercent() override { return m_desktop.batteryPercent(); }

private:
    DesktopPlatform m_desktop;
    int m_watcherFd = -1;
    int m_restLimitMs = -1;
    Request m_request = NO_REQUEST;
};
