// Skin loading: expansion, the start-up keywords, and routing to the pages.
#include "launcher/SkinReader.h"

#include <string>
#include <utility>

#include "config/Config.h"
#include "config/ConfigReader.h"
#include "config/SkinObserver.h"
#include "launcher/Launcher.h"
#include "skin/Page.h"

namespace {

bool isPageIndex(int index)
{
    return index >= 0 && index < Launcher::PAGE_COUNT;
}

// Beyond the int range a number is held at the limit, so it fails every range check.
int toInt(const WString& text)
{
    return text.toInt();
}

} // namespace

bool SkinReader::read(const char* path, Page* pages, int& startPage)
{
    ConfigReader reader;
    reader.open(path);
    if (!reader.isOpen())
        return false;

    SkinObserver* observer = SkinObserver::observer();
    int parsePage = -1;
    WString key;
    WString::Array values;
    while (reader.next(key, values)) {
        if (observer) {
            observer->beginStatement(path, reader.lineNumber());
            observer->checkRawValues(values);
        }
        const int refusedBefore = gConfig.refusedExpansions();
        for (int i = 0; i < values.count(); ++i)
            gConfig.expandInPlace(values.at(i));
        if (observer && gConfig.refusedExpansions() != refusedBefore)
            observer->report("a reference is left as written: expanding it would make a value "
                             "longer than %zu bytes, or the skin's references add more than %zu "
                             "bytes in all",
                             Config::MAX_EXPANDED_BYTES, Config::MAX_STORE_EXPANSION_BYTES);
        if (observer)
            noteStatement(*observer, key, values, parsePage);

        if (key == "PAGE" && values.count() == 1) {
            parsePage = toInt(values.at(0));
        } else if (key == "STARTPAGE" && values.count() == 1) {
            int start = toInt(values.at(0));
            if (isPageIndex(start))
                startPage = start;
        } else if (key == "VARIABLE" && values.count() > 1) {
            WString name = values.takeAt(0);
            gConfig.set(name.printable(), values);
        } else if (isPageIndex(parsePage)) {
            // The next statement replaces the values, so a button may take their texts.
            pages[parsePage].parseStatement(key, std::move(values));
        }
    }
    return true;
}

void SkinReader::noteStatement(SkinObserver& observer, const WString& key,
                               const WString::Array& values, int parsePage)
{
    const int count = values.count();
    if (key == "PAGE" && count == 1) {
        const int page = toInt(values.at(0));
        if (!isPageIndex(page)) {
            observer.report("PAGE=%s is outside 0..127: the statements after it are dropped "
                               "until the next PAGE",
                               values.at(0).printable());
            observer.noteDropCause(-1, std::string("PAGE=") + values.at(0).printable(),
                                   "0..127");
            return;
        }
        observer.noteDropCause(-1, std::string(), nullptr);
        observer.setPage(page);
        observer.noteFirstField("PAGE");
        return;
    }
    if (key == "STARTPAGE" && count == 1) {
        if (!isPageIndex(toInt(values.at(0))))
            observer.report("STARTPAGE=%s is outside 0..127 and is ignored",
                               values.at(0).printable());
        else
            observer.noteField("STARTPAGE");
        return;
    }
    if (key == "VARIABLE" && count > 1)
        return;

    // What follows goes to the page being filled, if there is one; else it is dropped, and
    // each dropped statement says why.
    const bool toPage = isPageIndex(parsePage);
    const std::string fate =
        toPage ? "goes to the page as an ordinary statement" : "is dropped: " + observer.dropReason(-1);
    if (key == "PAGE" || key == "STARTPAGE") {
        const char* format = "%s with %d values is not a page number (it takes exactly 1) and %s";
        if (toPage)
            observer.report(format, key.printable(), count, fate.c_str());
        else
            observer.reportDrop(format, key.printable(), count, fate.c_str());
    } else if (key == "VARIABLE") {
        const char* format = "VARIABLE with %d value defines nothing (it takes a name and at "
                             "least one value) and %s";
        if (toPage)
            observer.report(format, count, fate.c_str());
        else
            observer.reportDrop(format, count, fate.c_str());
    } else if (!toPage) {
        observer.reportDrop("%s %s", key.printable(), fate.c_str());
    }
    if (toPage)
        observer.setPage(parsePage);
}
