// The scratch copy of the configuration: made in a fresh temporary folder, removed at the end.
#include "launcher/ScratchConfig.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "config/saveConfigChange.h"
#include "launcher/Launcher.h"

namespace {

const char* const FOLDER_TEMPLATE = "trevandel-scratch-XXXXXX";

WString temporaryRoot()
{
    const char* root = getenv("TMPDIR");
    WString result(root && *root ? root : "/tmp");
    if (result.at(result.length() - 1) != '/')
        result.append("/");
    return result;
}

// A missing source leaves no destination; false when source exists but cannot be read, or
// destination cannot be written completely.
bool copyFile(const char* source, const char* destination)
{
    FILE* in = fopen(source, "rb");
    if (!in) {
        const bool missing = errno == ENOENT;
        unlink(destination);
        return missing;
    }
    FILE* out = fopen(destination, "wb");
    bool ok = out != nullptr;
    char block[4096];
    size_t got = 0;
    while (ok && (got = fread(block, 1, sizeof(block), in)) > 0)
        ok = fwrite(block, 1, got, out) == got;
    ok = ok && !ferror(in);
    fclose(in);
    if (out && fclose(out) != 0)
        ok = false;
    if (!ok)
        unlink(destination);
    return ok;
}

} // namespace

ScratchConfig::ScratchConfig() {}

ScratchConfig::~ScratchConfig()
{
    removeFiles();
}

bool ScratchConfig::create(const char* source)
{
    removeFiles();
    m_source = WString(source);
    const WString pattern = temporaryRoot() + FOLDER_TEMPLATE;
    std::vector<char> folder(pattern.printable(), pattern.printable() + pattern.length() + 1);
    if (!mkdtemp(folder.data()))
        return false;
    m_directory = WString(folder.data()) + "/";
    m_path = m_directory + Launcher::CONFIG_FILE;
    return refresh();
}

bool ScratchConfig::refresh()
{
    if (m_path.isAbsent())
        return false;
    return copyFile(m_source.printable(), m_path.text());
}

bool ScratchConfig::set(const WString& key, const WString::Array& values)
{
    if (m_path.isAbsent())
        return false;
    if (FILE* file = fopen(m_path.text(), "ab"))
        fclose(file);
    return saveConfigChange(m_path.text(), (m_directory + Launcher::NEW_CONFIG_FILE).text(), key,
                            values);
}

void ScratchConfig::attach(Launcher& launcher) const
{
    launcher.setConfigFile(m_path);
    launcher.setRestartInPlace(true);
}

void ScratchConfig::removeFiles()
{
    if (m_directory.isAbsent())
        return;
    unlink(m_path.text());
    unlink((m_directory + Launcher::NEW_CONFIG_FILE).text());
    rmdir(m_directory.text());
    m_directory = WString();
    m_path = WString();
}
