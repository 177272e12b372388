// Standard output and error pointed at /dev/null for a while, then given back as they were.
#include "launcher/QuietOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

QuietOutput::QuietOutput(Streams streams)
    : m_stdout(dup(STDOUT_FILENO)), m_stderr(streams == OUTPUT_ONLY ? -1 : dup(STDERR_FILENO))
{
    fflush(stdout);
    fflush(stderr);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        if (m_stderr >= 0)
            dup2(null, STDERR_FILENO);
        close(null);
    }
}

QuietOutput::~QuietOutput()
{
    fflush(stdout);
    fflush(stderr);
    if (m_stdout >= 0) {
        dup2(m_stdout, STDOUT_FILENO);
        close(m_stdout);
    }
    if (m_stderr >= 0) {
        dup2(m_stderr, STDERR_FILENO);
        close(m_stderr);
    }
}
