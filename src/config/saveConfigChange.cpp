// Rewrites one key of the configuration file through a new file of its own and an atomic
// rename, one save at a time.
#include "config/saveConfigChange.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/InputFile.h"

namespace {
// Counts the steps of one save for the settings' afterStep.
class StepCounter {
public:
    explicit StepCounter(void (*afterStep)(int step)) : m_afterStep(afterStep), m_step(0) {}
    // Passes ok through so it can wrap each step's result.
    bool reached(bool ok)
    {
        if (m_afterStep)
            m_afterStep(++m_step);
        return ok;
    }

private:
    void (*m_afterStep)(int step);
    int m_step;
};
} // namespace

static bool holdsAnyOf(const WString& text, const char* bytes)
{
    const char* s = text.text();
    return s && strpbrk(s, bytes) != nullptr;
}

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The key as the reader takes it from the written line: the line trim drops leading blanks.
static WString readableKeyOf(const WString& key)
{
    WString readable = key;
    readable.trimLeft();
    readable.toUpper();
    return readable;
}

bool isSavableConfigKey(const WString& key)
{
    if (key.isEmpty() || holdsAnyOf(key, "\n\r="))
        return false;
    // Leading blanks are trimmed off the written line; what is left must still be a key.
    int first = 0;
    while (first < key.length() && isBlank(key.at(first)))
        first++;
    bool comment = key.length() - first >= 2 && key.at(first) == '/' && key.at(first + 1) == '/';
    return first < key.length() && !comment;
}

bool isSavableConfigValue(const WString& value)
{
    return !holdsAnyOf(value, "\n\r\"");
}

// Values joined with ",", as lookup and %KEY% join them on reading. The line trim would drop
// blanks at the end of the last value, so only that last piece is quoted when it ends in one.
static WString joinForFile(const WString::Array& values)
{
    WString joined = values.join(WString(","));
    int length = joined.length();
    if (length == 0 || !isBlank(joined.at(length - 1)))
        return joined;
    int lastStart = joined.findLastChar(',') + 1;
    return joined.left(lastStart) + "\"" + joined.mid(lastStart) + "\"";
}

// The upper-cased key the reader would take from a trimmed line; absent for comments and
// lines that are no statement.
static WString statementKeyOf(const WString& trimmed)
{
    bool comment = trimmed.length() >= 2 && trimmed.at(0) == '/' && trimmed.at(1) == '/';
    int equals = trimmed.findChar('=');
    if (comment || equals <= 0)
        return WString();
    WString key = trimmed.left(equals);
    key.toUpper();
    return key;
}

static bool writeText(FILE* stream, const WString& text)
{
    size_t length = static_cast<size_t>(text.length());
    return length == 0 || fwrite(text.text(), 1, length, stream) == length;
}

static bool writeLine(FILE* stream, const WString& text, bool lineFeed)
{
    return writeText(stream, text) && (!lineFeed || fputc('\n', stream) != EOF);
}

static std::string directoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

static const char* nameOf(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// Makes the rename itself durable; failure here cannot undo anything, so it is not reported.
static void syncDirectory(const std::string& directory)
{
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

static long long monotonicMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Takes the exclusive lock on fd, waiting for another save until deadlineMs. A file system
// without locks still gets the save: each save's own new file and the rename keep the
// configuration whole there, though two saves at once may then lose one of the two changes.
static bool lockUntil(int fd, long long deadlineMs)
{
    const long long retryMs = 2;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS;
        if (monotonicMs() >= deadlineMs)
            return false;
        struct timespec pause = {0, static_cast<long>(retryMs * 1000000)};
        nanosleep(&pause, nullptr);
    }
}

// Opens the file that configPath names and locks it; target is that file's own path, links
// resolved. The lock is on the configuration itself rather than on a lock file beside it, so
// nothing new stays in the user's folder, and saves through a link and through the target's
// own path lock the same file. Every save replaces the file that holds the lock, so a save
// that waited finds the path naming another file by then and locks that one instead. flock,
// not fcntl: an fcntl lock goes with the close of any descriptor of the file in the process
// and does not keep two threads of one process apart.
static bool openLocked(const char* configPath, int lockWaitMs, InputFile& config,
                       std::string& target, struct stat& held)
{
    const long long deadline = monotonicMs() + lockWaitMs;
    for (;;) {
        char* resolved = realpath(configPath, nullptr);
        if (!resolved)
            return false;
        target = resolved;
        free(resolved);
        if (!config.open(target.c_str()))
            return false;
        struct stat named;
        if (!lockUntil(config.descriptor(), deadline) || fstat(config.descriptor(), &held) != 0) {
            config.close();
            return false;
        }
        if (stat(target.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino)
            return true;
        config.close();
        if (monotonicMs() >= deadline)
            return false;
    }
}

// The ending mkstemp fills in, after the new-file name and a dot, and the fixed one after it
// that keeps a user's own "Trevandel.newcfg.backup" from ever looking like a new file.
const char* const UNIQUE_PART = "XXXXXX";
const char* const NEW_FILE_SUFFIX = ".part";

// Whether a file name is one that a save of newName makes for its new file.
static bool isNewFileName(const char* entry, const char* newName)
{
    const size_t nameLength = strlen(newName);
    const size_t uniqueLength = strlen(UNIQUE_PART);
    if (strlen(entry) != nameLength + 1 + uniqueLength + strlen(NEW_FILE_SUFFIX) ||
        strncmp(entry, newName, nameLength) != 0 || entry[nameLength] != '.' ||
        strcmp(entry + nameLength + 1 + uniqueLength, NEW_FILE_SUFFIX) != 0)
        return false;
    for (size_t i = 0; i < uniqueLength; i++) {
        if (!isalnum(static_cast<unsigned char>(entry[nameLength + 1 + i])))
            return false;
    }
    return true;
}

static void removeIfPlainFile(const std::string& path)
{
    struct stat status;
    if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        unlink(path.c_str());
}

// Under the lock no other save has a new file open, so one found now was left by a save
// that was stopped half-way (or, under the plain name, by an earlier version): it goes.
static void removeLeftovers(const std::string& directory, const char* newPath)
{
    removeIfPlainFile(newPath);
    const char* newName = nameOf(newPath);
    DIR* folder = opendir(directory.c_str());
    if (!folder)
        return;
    while (struct dirent* entry = readdir(folder)) {
        if (isNewFileName(entry->d_name, newName))
            removeIfPlainFile(directory + "/" + entry->d_name);
    }
    closedir(folder);
}

bool saveConfigChange(const char* configPath, const char* newPath, const WString& key,
                      const WString::Array& values, const SaveSettings& settings)
{
    if (!configPath || !newPath)
        return false;
    // A change that could not be read back as written is refused before anything is touched.
    if (!isSavableConfigKey(key))
        return false;
    for (int i = 0; i < values.count(); i++) {
        if (!isSavableConfigValue(values.at(i)))
            return false;
    }

    // Held, and so locked, until the new file is in place.
    InputFile config;
    config.setReadAt(settings.readAt);
    std::string target;
    struct stat original;
    if (!openLocked(configPath, settings.lockWaitMs, config, target, original))
        return false;
    const std::string directory = directoryOf(target);
    removeLeftovers(directory, newPath);

    // A name of this save's own, beside the file it replaces so that the rename stays on one
    // file system; a link to the configuration stays a link.
    std::string newFile =
        directory + "/" + nameOf(newPath) + "." + UNIQUE_PART + NEW_FILE_SUFFIX;
    StepCounter steps(settings.afterStep);
    int fd = mkostemps(&newFile[0], static_cast<int>(strlen(NEW_FILE_SUFFIX)), O_CLOEXEC);
    if (fd < 0)
        return false;
    FILE* stream = fdopen(fd, "wb");
    if (!stream) {
        ::close(fd);
        unlink(newFile.c_str());
        return false;
    }
    steps.reached(true);
    // The replacement keeps the permissions of the file it replaces.
    fchmod(fd, original.st_mode & 07777);

    WString prefix = key + "=";
    int prefixLength = prefix.length();
    WString statement = prefix + joinForFile(values);
    WString readKey = readableKeyOf(key);
    bool written = false;
    // A kept line that reads as the same key (say "skin=" for "SKIN") after the last replaced
    // one would win on the next load; the statement then goes at the end as well.
    bool shadowed = false;
    // The new file so far ends in a line without its line feed (the old file's last line).
    bool lineOpen = false;
    bool ok = true;
    InputFile::Line line;
    InputFile::Status status = InputFile::READ_FAILED;
    while (ok && (status = config.readLine(line)) == InputFile::GOT_LINE) {
        // Each line goes back with the line end it had, so the save changes nothing else; the
        // empty piece after a final line feed is no line of its own.
        if (line.length == 0 && !line.endsWithLineFeed)
            continue;
        WString text(line.text);
        WString trimmed = text;
        trimmed.trim();
        if (trimmed.left(prefixLength) == prefix) {
            ok = steps.reached(writeLine(stream, statement, line.endsWithLineFeed));
            written = true;
            shadowed = false;
        } else {
            ok = steps.reached(writeLine(stream, text, line.endsWithLineFeed));
            if (statementKeyOf(trimmed) == readKey)
                shadowed = true;
        }
        lineOpen = !line.endsWithLineFeed;
    }
    // A line too long to hold, or a read that failed: the old file could not be copied whole.
    ok = ok && status == InputFile::END;
    if (ok && (!written || shadowed))
        ok = steps.reached((!lineOpen || fputc('\n', stream) != EOF) &&
                           writeLine(stream, statement, true));
    ok = ok && steps.reached(fflush(stream) == 0);
    ok = ok && steps.reached(fsync(fd) == 0);
    ok = steps.reached(fclose(stream) == 0) && ok;
    if (!ok || !steps.reached(rename(newFile.c_str(), target.c_str()) == 0)) {
        unlink(newFile.c_str());
        return false;
    }
    syncDirectory(directory);
    return true;
}
