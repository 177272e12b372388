// Linux inotify over the folders a skin preview depends on, without polling.
#pragma once

#include <map>
#include <string>
#include <vector>

class FileWatcher {
public:
    FileWatcher();
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // Drops every watch and starts a fresh inotify instance; false when inotify is unavailable.
    bool reset();
    // Watches folder for changes to the named entries only (created, written, removed, renamed).
    // A folder that does not exist yet is not watched; the caller watches its parent for it.
    void watchNames(const std::string& folder, const std::vector<std::string>& names);
    // Watches folder and every folder below it for changes to any entry, hidden ones and editor
    // backups (a leading "." or a trailing "~") excepted. Links are followed; each folder is
    // watched once, and a tree too deep or too big is watched only in part.
    void watchTree(const std::string& folder);
    // True when a tree since the last reset was too deep or too big to watch whole.
    bool treeCut() const { return m_treeCut; }

    // The descriptor to wait on; -1 when there is none.
    int fd() const { return m_fd; }
    // Reads what is pending without waiting and appends the changed paths (folder + name) to
    // changed; true when any concerned a watched entry.
    bool readChanges(std::vector<std::string>& changed);

private:
    struct Watch {
        std::string folder;
        bool everything = false;
        std::vector<std::string> names;
    };
    bool concerns(const Watch& watch, const std::string& name) const;
    void addTree(const std::string& folder, int depth);

    int m_fd;
    std::map<int, Watch> m_watches;
    int m_treeFolders;
    bool m_treeCut;
};
