// open, EVIOCGBIT, EVIOCGRAB and EVIOCGABS per device; inotify for devices that come and go.
#include "platform/handheld/EvdevInput.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

const size_t RECORD = sizeof(input_event);
const size_t RECORDS_PER_READ = 64;
const char* const DEVICE_PREFIX = "event";
const uint32_t WATCHED = IN_CREATE | IN_ATTRIB | IN_MOVED_TO;

bool hasBit(const unsigned long* bits, unsigned bit)
{
    const unsigned perWord = sizeof(unsigned long) * CHAR_BIT;
    return (bits[bit / perWord] >> (bit % perWord)) & 1UL;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

} // namespace

void EvdevInput::open(const std::vector<std::string>& entries)
{
    close();
    m_watcher = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const std::string& entry : entries) {
        if (entry.empty())
            continue;
        if (entry.back() == '/') {
            m_folders.push_back(entry);
            watchFolder(entry);
            scanFolder(entry);
        } else {
            m_named.push_back(entry);
            watchFolder(folderOf(entry));
            openDevice(entry, false);
        }
    }
}

void EvdevInput::close()
{
    while (!m_devices.empty())
        dropDevice(m_devices.size() - 1, false);
    m_pending.clear();
    if (m_watcher >= 0)
        ::close(m_watcher);
    m_watcher = -1;
    m_watches.clear();
    m_folders.clear();
    m_named.clear();
}

void EvdevInput::watchFolder(const std::string& folder)
{
    if (m_watcher < 0)
        return;
    for (const auto& watch : m_watches)
        if (watch.second == folder)
            return;
    const int wd = inotify_add_watch(m_watcher, folder.c_str(), WATCHED);
    if (wd >= 0)
        m_watches.push_back({wd, folder});
}

void EvdevInput::scanFolder(const std::string& folder)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (strncmp(entry->d_name, DEVICE_PREFIX, strlen(DEVICE_PREFIX)) == 0)
            names.push_back(entry->d_name);
    closedir(dir);
    // In number order, so the same device comes first each time.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string& name : names)
        openDevice(folder + name, true);
}

bool EvdevInput::isOpen(const std::string& path) const
{
    for (const auto& device : m_devices)
        if (device->path == path)
            return true;
    return false;
}

void EvdevInput::openDevice(const std::string& path, bool onlyWithControls)
{
    if (isOpen(path))
        return;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    // Devices that cannot say what they report (a stand-in, or an emulator that refuses the
    // request) are taken as they are.
    unsigned long types[1] = {0};
    const bool typesKnown = ioctl(fd, EVIOCGBIT(0, sizeof(types)), types) >= 0;
    if (onlyWithControls && typesKnown && !hasBit(types, EV_KEY) && !hasBit(types, EV_ABS)) {
        ::close(fd);
        return;
    }
    unsigned long keys[KEY_CNT / (sizeof(unsigned long) * CHAR_BIT) + 1] = {};
    const bool keysKnown = ioctl(fd, EVIOCGBIT(EV_KEY, sizeof(keys)), keys) >= 0;
    // Grabbed, the console and other programs see none of its presses; a device that also
    // carries the power button is left to the system, which must still see that one.
    if (!(keysKnown && hasBit(keys, KEY_POWER)))
        ioctl(fd, EVIOCGRAB, 1);
    std::unique_ptr<Device> device(new Device{path, fd, EventFolder(m_keys), {}});
    input_absinfo x = {};
    input_absinfo y = {};
    if (ioctl(fd, EVIOCGABS(ABS_X), &x) >= 0 && ioctl(fd, EVIOCGABS(ABS_Y), &y) >= 0 &&
        x.maximum > x.minimum && y.maximum > y.minimum)
        device->folder.setStickRange({x.minimum, x.maximum}, {y.minimum, y.maximum});
    m_devices.push_back(std::move(device));
    if (std::find(m_announced.begin(), m_announced.end(), path) == m_announced.end()) {
        printf("Found input device %s\n", path.c_str());
        m_announced.push_back(path);
    }
}

void EvdevInput::dropDevice(size_t index, bool lost)
{
    Device& device = *m_devices[index];
    device.folder.releaseAll(m_pending);
    if (lost) {
        printf("Lost input device %s\n", device.path.c_str());
        m_announced.erase(std::find(m_announced.begin(), m_announced.end(), device.path));
    }
    ioctl(device.fd, EVIOCGRAB, 0);
    ::close(device.fd);
    m_devices.erase(m_devices.begin() + long(index));
}

bool EvdevInput::readDevice(Device& device)
{
    char buffer[RECORD * RECORDS_PER_READ];
    size_t have = device.partial.size();
    if (have)
        memcpy(buffer, device.partial.data(), have);
    const ssize_t got = read(device.fd, buffer + have, sizeof(buffer) - have);
    if (got == 0)
        return false;
    if (got < 0)
        return errno == EAGAIN || errno == EINTR;
    have += size_t(got);
    size_t used = 0;
    for (; used + RECORD <= have; used += RECORD) {
        input_event record;
        memcpy(&record, buffer + used, RECORD);
        device.folder.fold(record.type, record.code, record.value, m_pending);
    }
    device.partial.assign(buffer + used, buffer + have);
    return true;
}

void EvdevInput::readWatcher()
{
    if (m_watcher < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(m_watcher, buffer, sizeof(buffer));
        if (got <= 0)
            return;
        for (ssize_t at = 0; at < got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->len == 0)
                continue;
            std::string folder;
            for (const auto& watch : m_watches)
                if (watch.first == event->wd)
                    folder = watch.second;
            const std::string path = folder + event->name;
            if (std::find(m_named.begin(), m_named.end(), path) != m_named.end())
                openDevice(path, false);
            else if (std::find(m_folders.begin(), m_folders.end(), folder) != m_folders.end() &&
                     strncmp(event->name, DEVICE_PREFIX, strlen(DEVICE_PREFIX)) == 0)
                openDevice(path, true);
        }
    }
}

bool EvdevInput::next(InputEvent& event)
{
    if (m_pending.empty()) {
        readWatcher();
        // Every device once, so one that keeps sending cannot hide another that went away.
        for (size_t i = 0; i < m_devices.size();) {
            if (readDevice(*m_devices[i]))
                ++i;
            else
                dropDevice(i, true);
        }
    }
    if (m_pending.empty())
        return false;
    event = m_pending.front();
    m_pending.pop_front();
    return true;
}

void EvdevInput::descriptors(std::vector<pollfd>& out) const
{
    for (const auto& device : m_devices)
        out.push_back({device->fd, POLLIN, 0});
    if (m_watcher >= 0)
        out.push_back({m_watcher, POLLIN, 0});
}
