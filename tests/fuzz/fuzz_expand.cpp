// Fuzzes Config::expandMarked against Config::expand: the same text where nothing is marked,
// marks that cover exactly what references put in, and marked bytes that never open or close
// a reference. Input: the store's statements, "\n--\n", the text, "\n--\n", a pattern of marks.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "config/Config.h"
#include "config/ConfigReader.h"

namespace {

// What a C string made from the piece holds: everything up to its first zero byte.
std::string asText(const std::string& piece)
{
    return std::string(piece.c_str());
}

// Results compared without copies: a value may expand to megabytes. An absent result counts
// as empty where the marks are concerned, which carry no absence.
bool sameText(const WString& result, const std::string& text)
{
    return strcmp(result.printable(), text.c_str()) == 0;
}

// Absent and present results differ for the callers, so both must agree on that too.
bool same(const WString& a, const WString& b)
{
    return a.isAbsent() == b.isAbsent() && strcmp(a.printable(), b.printable()) == 0;
}

// The result without the bytes its marks say were inserted.
std::string unmarkedBytes(const WString& result, const std::string& marks)
{
    std::string kept;
    const char* text = result.printable();
    for (size_t i = 0; text[i]; i++) {
        if (!marks[i])
            kept += text[i];
    }
    return kept;
}

// expandMarked on a store of its own, so that no expansion spends another's room.
WString expandMarkedFresh(const std::string& path, const std::string& text, std::string& marks)
{
    Config store(path.c_str());
    WString result = store.expandMarked(WString(text.c_str()), marks);
    if (marks.size() != strlen(result.printable()))
        abort(); // one mark per byte of the result
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const std::string statements = input.piece();
    const std::string text = asText(input.piece());
    std::string pattern = input.piece();
    if (pattern.empty())
        pattern = "\1";

    const std::string path = fuzzDirectory() + "expand.cfg";
    writeFile(path, statements);

    // Nothing marked: the very result of expand, and as many references left for want of room.
    Config plainStore(path.c_str());
    const WString plain = plainStore.expand(WString(text.c_str()));
    Config markedStore(path.c_str());
    std::string marks(text.size(), '\0');
    const WString marked = markedStore.expandMarked(WString(text.c_str()), marks);
    if (!same(plain, marked) || marks.size() != strlen(marked.printable()))
        abort();
    if (plainStore.refusedExpansions() != markedStore.refusedExpansions())
        abort();
    // The marks cover exactly the values: with every value emptied (the same keys, so the same
    // references stay as written), expand gives what is left unmarked.
    if (markedStore.refusedExpansions() == 0) {
        Config emptied;
        ConfigReader reader(path.c_str());
        WString key;
        WString::Array values;
        WString::Array empty;
        empty.append(WString(""));
        while (reader.next(key, values))
            emptied.set(key.text(), empty);
        if (!sameText(emptied.expand(WString(text.c_str())), unmarkedBytes(marked, marks)))
            abort();
    }

    // Every byte marked: the text passes through unchanged, every byte still marked.
    std::string all(text.size(), '\1');
    const WString whole = expandMarkedFresh(path, text, all);
    if (!sameText(whole, text) || all != std::string(text.size(), '\1'))
        abort();

    // Each "%" marked, the rest as the pattern says: no reference at all, the marks kept as given.
    std::string given(text.size(), '\0');
    for (size_t i = 0; i < text.size(); i++)
        given[i] = text[i] == '%' ? '\2' : pattern[i % pattern.size()];
    std::string kept = given;
    if (!sameText(expandMarkedFresh(path, text, kept), text) || kept != given)
        abort();

    // Each "%" unmarked, the rest as the pattern says: marks on other bytes change nothing in
    // the text, since only a "%" opens or closes a reference.
    std::string mixed(text.size(), '\0');
    for (size_t i = 0; i < text.size(); i++)
        mixed[i] = text[i] == '%' ? '\0' : pattern[i % pattern.size()];
    if (!same(expandMarkedFresh(path, text, mixed), plain))
        abort();
    return 0;
}
