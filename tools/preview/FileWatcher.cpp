// Watches folders with inotify: named entries in some, whole trees in others.
#include "FileWatcher.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// An editor may write in place, or write a temporary file and rename it over the old one.
const uint32_t CHANGE_EVENTS = IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_CREATE | IN_DELETE |
                               IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
// A skin folder is a few levels deep and holds a few folders at most. Each folder is watched
// once however many links lead to it, and these bounds keep links to folders far outside the
// skin from costing more than a moment.
const int MAX_TREE_DEPTH = 16;
const int MAX_TREE_FOLDERS = 1000;

std::string withSlash(const std::string& folder)
{
    return (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
}

bool isScratchName(const std::string& name)
{
    return !name.empty() && (name[0] == '.' || name.back() == '~');
}

} // namespace

FileWatcher::FileWatcher() : m_fd(-1), m_treeFolders(0), m_treeCut(false) {}

FileWatcher::~FileWatcher()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool FileWatcher::reset()
{
    if (m_fd >= 0)
        close(m_fd);
    m_watches.clear();
    m_treeFolders = 0;
    m_treeCut = false;
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    return m_fd >= 0;
}

void FileWatcher::watchNames(const std::string& folder, const std::vector<std::string>& names)
{
    if (m_fd < 0)
        return;
    const int wd = inotify_add_watch(m_fd, folder.c_str(), CHANGE_EVENTS | IN_ONLYDIR);
    if (wd < 0)
        return;
    // One folder may be asked for twice (say the base for its files and for skins/).
    Watch& watch = m_watches[wd];
    watch.folder = withSlash(folder);
    for (const std::string& name : names)
        watch.names.push_back(name);
}

void FileWatcher::watchTree(const std::string& folder)
{
    if (m_fd >= 0)
        addTree(withSlash(folder), 0);
}

void FileWatcher::addTree(const std::string& folder, int depth)
{
    if (m_treeFolders >= MAX_TREE_FOLDERS) {
        m_treeCut = true;
        return;
    }
    // The kernel hands back the same descriptor for a folder it already watches, by whatever
    // path: a link to a folder above (ln -s . a) is a loop.
    const int wd = inotify_add_watch(m_fd, folder.c_str(), CHANGE_EVENTS | IN_ONLYDIR);
    if (wd < 0) {
        // The user's limit of watches (fs.inotify.max_user_watches) is used up.
        if (errno == ENOSPC)
            m_treeCut = true;
        return;
    }
    Watch& watch = m_watches[wd];
    if (watch.everything)
        return;
    ++m_treeFolders;
    watch.folder = folder;
    watch.everything = true;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    std::vector<std::string> below;
    while (struct dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || isScratchName(name))
            continue;
        struct stat info;
        if (stat((folder + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            below.push_back(folder + name + "/");
    }
    closedir(dir);
    if (!below.empty() && depth >= MAX_TREE_DEPTH) {
        m_treeCut = true;
        return;
    }
    for (const std::string& sub : below)
        addTree(sub, depth + 1);
}

bool FileWatcher::concerns(const Watch& watch, const std::string& name) const
{
    // An event about the folder itself (removed, moved away) always counts.
    if (name.empty())
        return true;
    if (watch.everything)
        return !isScratchName(name);
    return std::find(watch.names.begin(), watch.names.end(), name) != watch.names.end();
}

bool FileWatcher::readChanges(std::vector<std::string>& changed)
{
    if (m_fd < 0)
        return false;
    bool any = false;
    alignas(struct inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t got = read(m_fd, buffer, sizeof(buffer));
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const struct inotify_event* event =
                reinterpret_cast<const struct inotify_event*>(buffer + at);
            at += sizeof(struct inotify_event) + event->len;
            // A full queue lost events: whatever they were, everything is read again.
            if (event->mask & IN_Q_OVERFLOW) {
                any = true;
                continue;
            }
            const auto it = m_watches.find(event->wd);
            if (it == m_watches.end())
                continue;
            const std::string name = event->len > 0 ? std::string(event->name) : std::string();
            if (!concerns(it->second, name))
                continue;
            any = true;
            changed.push_back(it->second.folder + name);
        }
    }
    return any;
}
