// Fuzzes the statement reader and variable expansion with arbitrary file content.
#include "FuzzSupport.h"
#include "config/Config.h"
#include "config/ConfigReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzzDirectory() + "statements.cfg";
    writeFile(path, data, size);

    Config store;
    store.load(path.c_str());
    ConfigReader reader(path.c_str());
    WString key;
    WString::Array values;
    while (reader.next(key, values)) {
        for (int i = 0; i < values.count(); i++) {
            WString expanded = store.expand(values.at(i));
            (void)expanded.length();
        }
        WString joined = store.lookup(key.text(), "x");
        (void)store.expand(joined).length();
    }
    // The raw text as one reference-laden value, too.
    std::string text(reinterpret_cast<const char*>(data), size);
    (void)store.expand(WString(text.c_str())).length();
    return 0;
}
