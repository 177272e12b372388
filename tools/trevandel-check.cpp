// Checks the configuration and skin of an application directory and prints each mistake as file:line.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check/SkinChecker.h"

namespace {

void usage(FILE* stream)
{
    fprintf(stream,
            "usage: trevandel-check [APPDIR]\n"
            "  Reads APPDIR/Trevandel.cfg and the skin it names exactly as the launcher does and\n"
            "  prints every problem as file:line: message, then a summary line.\n"
            "  APPDIR defaults to this program's directory. Exit status: 0 no problems,\n"
            "  1 problems found, 2 usage error.\n");
}

std::string directoryOf(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash ? std::string(path, slash - path + 1) : std::string("./");
}

// The launcher's own loading prints its usual lines; only the report belongs on the terminal.
class QuietOutput {
public:
    QuietOutput() : m_stdout(dup(STDOUT_FILENO)), m_stderr(dup(STDERR_FILENO))
    {
        fflush(stdout);
        fflush(stderr);
        int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            close(null);
        }
    }
    ~QuietOutput()
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
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

private:
    int m_stdout;
    int m_stderr;
};

} // namespace

int main(int argc, char** argv)
{
    std::string app = directoryOf(argc > 0 ? argv[0] : "");
    if (argc > 2) {
        usage(stderr);
        return 2;
    }
    if (argc == 2) {
        if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
            usage(stdout);
            return 0;
        }
        if (argv[1][0] == '-') {
            fprintf(stderr, "trevandel-check: unknown option '%s'\n", argv[1]);
            usage(stderr);
            return 2;
        }
        app = argv[1];
    }
    if (access(app.c_str(), F_OK) != 0) {
        fprintf(stderr, "trevandel-check: no application directory %s\n", app.c_str());
        return 2;
    }

    std::vector<SkinChecker::Problem> problems;
    {
        QuietOutput quiet;
        SkinChecker checker(app);
        problems = checker.run();
    }
    for (const SkinChecker::Problem& problem : problems)
        printf("%s\n", SkinChecker::formatProblem(problem).c_str());
    printf("%s\n", SkinChecker::summary(problems).c_str());
    return problems.empty() ? 0 : 1;
}
