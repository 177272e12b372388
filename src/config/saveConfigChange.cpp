// Rewrites one key of the configuration file through a complete new file and an atomic rename.
#include "config/saveConfigChange.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/InputFile.h"

void (*gSaveStepHook)(int step) = nullptr;

namespace {
// Counts the steps of one save for gSaveStepHook.
class StepCounter {
public:
    StepCounter() : m_step(0) {}
    // Passes ok through so it can wrap each step's result.
    bool reached(bool ok)
    {
        if (gSaveStepHook)
            gSaveStepHook(++m_step);
        return ok;
    }

private:
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

static bool writeLine(FILE* stream, const WString& first, const WString& second)
{
    return writeText(stream, first) && writeText(stream, second) && fputc('\n', stream) != EOF;
}

// Makes the rename itself durable; failure here cannot undo anything, so it is not reported.
static void syncDirectoryOf(const char* path)
{
    WString directory(path);
    int slash = directory.findLastChar('/');
    directory = slash < 0 ? WString(".") : slash == 0 ? WString("/") : directory.left(slash);
    int fd = ::open(directory.text(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

bool saveConfigChange(const char* configPath, const char* newPath, const WString& key,
                      const WString::Array& values)
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

    InputFile config;
    if (!config.open(configPath))
        return false;
    WString::Array lines = config.readLines();
    if (config.readFailed())
        return false;
    config.close();

    StepCounter steps;
    FILE* stream = fopen(newPath, "wb");
    if (!stream)
        return false;
    steps.reached(true);
    // The replacement keeps the permissions of the file it replaces.
    struct stat original;
    if (stat(configPath, &original) == 0)
        fchmod(fileno(stream), original.st_mode & 07777);

    WString prefix = key + "=";
    int prefixLength = prefix.length();
    WString joined = joinForFile(values);
    WString readKey = readableKeyOf(key);
    bool written = false;
    // A kept line that reads as the same key (say "skin=" for "SKIN") after the last replaced
    // one would win on the next load; the statement then goes at the end as well.
    bool shadowed = false;
    bool ok = true;
    for (int i = 0; ok && i < lines.count(); i++) {
        const WString& line = lines.at(i);
        WString trimmed = line;
        trimmed.trim();
        if (trimmed.left(prefixLength) == prefix) {
            ok = steps.reached(writeLine(stream, prefix, joined));
            written = true;
            shadowed = false;
        } else {
            ok = steps.reached(writeLine(stream, line, WString()));
            if (statementKeyOf(trimmed) == readKey)
                shadowed = true;
        }
    }
    if (ok && (!written || shadowed))
        ok = steps.reached(writeLine(stream, prefix, joined));
    ok = ok && steps.reached(fflush(stream) == 0);
    ok = ok && steps.reached(fsync(fileno(stream)) == 0);
    ok = steps.reached(fclose(stream) == 0) && ok;
    if (!ok || !steps.reached(rename(newPath, configPath) == 0)) {
        unlink(newPath);
        return false;
    }
    syncDirectoryOf(configPath);
    return true;
}
