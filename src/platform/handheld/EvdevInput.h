// The handheld's buttons: evdev devices, opened and grabbed, watched for coming and going.
#pragma once

#include <poll.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/InputEvent.h"
#include "platform/handheld/EventFolder.h"
#include "platform/handheld/KeyMap.h"

class EvdevInput {
public:
    explicit EvdevInput(const KeyMap& keys) : m_keys(keys) {}
    ~EvdevInput() { close(); }
    EvdevInput(const EvdevInput&) = delete;
    EvdevInput& operator=(const EvdevInput&) = delete;

    // Each entry is a device, or a folder (ending in "/") whose event* devices that report keys
    // or axes are used. Devices that are missing now are opened when they appear; one that
    // fails or goes away is dropped, and what it held is released.
    void open(const std::vector<std::string>& entries);
    // Lets every device go (ungrabbed, closed) and stops watching. A device is named on standard
    // output when it is first opened ("Found input device …") and when it goes away ("Lost
    // input device …"); opening it again after a close says nothing.
    void close();
    // One control event, never waiting; false when none is pending.
    bool next(InputEvent& event);
    // What a wait must watch: the devices and the folders.
    void descriptors(std::vector<pollfd>& out) const;
    // Events already read and not yet taken: a wait must not sleep on them.
    bool hasPending() const { return !m_pending.empty(); }
    size_t deviceCount() const { return m_devices.size(); }

private:
    struct Device {
        std::string path;
        int fd;
        EventFolder folder;
        // Part of a record a read ended inside.
        std::vector<char> partial;
    };

    void openDevice(const std::string& path, bool onlyWithControls);
    bool isOpen(const std::string& path) const;
    // Reads what one device has; false when it is gone.
    bool readDevice(Device& device);
    void dropDevice(size_t index, bool lost);
    void readWatcher();
    void watchFolder(const std::string& folder);
    void scanFolder(const std::string& folder);

    const KeyMap& m_keys;
    std::vector<std::unique_ptr<Device>> m_devices;
    std::deque<InputEvent> m_pending;
    // Folders scanned for event* devices, and devices named one by one.
    std::vector<std::string> m_folders;
    std::vector<std::string> m_named;
    int m_watcher = -1;
    // Watch descriptor and folder of each watched folder.
    std::vector<std::pair<int, std::string>> m_watches;
    std::vector<std::string> m_announced;
};
