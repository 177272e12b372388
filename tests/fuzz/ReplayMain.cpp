// Replays committed fuzz inputs through a target's entry point, built without libFuzzer, so that
// every input that ever mattered runs again with the ordinary tests.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// Only some targets have one.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

namespace {

// The regular files named, and those directly inside the directories named, in name order.
std::vector<std::string> inputsOf(int argc, char** argv)
{
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; i++) {
        const std::string path = argv[i];
        struct stat status;
        if (stat(path.c_str(), &status) != 0)
            continue;
        if (S_ISREG(status.st_mode)) {
            inputs.push_back(path);
            continue;
        }
        std::vector<std::string> names;
        if (DIR* dir = opendir(path.c_str())) {
            while (struct dirent* entry = readdir(dir)) {
                const std::string file = path + "/" + entry->d_name;
                if (stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode))
                    names.push_back(file);
            }
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        inputs.insert(inputs.end(), names.begin(), names.end());
    }
    return inputs;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> inputs = inputsOf(argc, argv);
    if (inputs.empty()) {
        fprintf(stderr, "usage: %s CORPUS_DIRECTORY_OR_FILE...: no input found\n", argv[0]);
        return 2;
    }
    if (LLVMFuzzerInitialize) {
        int initArgc = argc;
        char** initArgv = argv;
        LLVMFuzzerInitialize(&initArgc, &initArgv);
    }
    for (const std::string& input : inputs) {
        // Standard error, since some targets send standard output to /dev/null.
        fprintf(stderr, "replaying %s\n", input.c_str());
        const std::string bytes = readFile(input);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    fprintf(stderr, "replayed %zu inputs\n", inputs.size());
    return 0;
}
