// Skin loading: expansion, the start-up keywords, and routing to the pages.
#include "launcher/SkinReader.h"

#include <utility>

#include "config/Config.h"
#include "config/ConfigReader.h"
#include "config/SkinObserver.h"
#include "launcher/Launcher.h"
#include "skin/Page.h"

namespace {

typedef SkinObserver::Fate Fate;

// The statements the skin reader takes itself; any other goes to the page being filled.
const char* const PAGE_KEY = "PAGE";
const char* const STARTPAGE_KEY = "STARTPAGE";
const char* const VARIABLE_KEY = "VARIABLE";

bool isStartUpKeyword(const WString& key)
{
    return key == PAGE_KEY || key == STARTPAGE_KEY || key == VARIABLE_KEY;
}

bool isPageIndex(int index)
{
    return index >= 0 && index < Launcher::PAGE_COUNT;
}

void notePage(SkinObserver& observer, int page, const WString& written)
{
    if (!isPageIndex(page)) {
        observer.note(Fate::written(Fate::PAGE_OUT_OF_RANGE, written));
        return;
    }
    Fate opened(Fate::PAGE_OPENED);
    opened.index = page;
    observer.note(opened);
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
        if (observer)
            observer->beginStatement(path, reader.lineNumber(), &values);
        const int refusedBefore = gConfig.refusedExpansions();
        for (int i = 0; i < values.count(); ++i)
            gConfig.expandInPlace(values.at(i));
        if (observer && gConfig.refusedExpansions() != refusedBefore)
            observer->note(Fate(Fate::EXPANSION_REFUSED));

        if (key == PAGE_KEY && values.count() == 1) {
            parsePage = toInt(values.at(0));
            if (observer)
                notePage(*observer, parsePage, values.at(0));
        } else if (key == STARTPAGE_KEY && values.count() == 1) {
            int start = toInt(values.at(0));
            if (isPageIndex(start))
                startPage = start;
            if (observer)
                observer->note(isPageIndex(start)
                                   ? Fate(Fate::STARTPAGE_TAKEN)
                                   : Fate::written(Fate::STARTPAGE_OUT_OF_RANGE, values.at(0)));
        } else if (key == VARIABLE_KEY && values.count() > 1) {
            if (observer)
                observer->note(Fate(Fate::VARIABLE_TAKEN));
            WString name = values.takeAt(0);
            gConfig.set(name.printable(), values);
        } else if (isPageIndex(parsePage)) {
            if (observer)
                observer->note(Fate::ofStatement(isStartUpKeyword(key) ? Fate::STARTUP_KEYWORD_TO_PAGE
                                                                       : Fate::TO_PAGE,
                                                 key, values, parsePage));
            // The next statement replaces the values, so a button may take their texts.
            pages[parsePage].parseStatement(key, std::move(values));
        } else if (observer) {
            observer->note(Fate::ofStatement(isStartUpKeyword(key) ? Fate::STARTUP_KEYWORD_DROPPED
                                                                   : Fate::DROPPED_BEFORE_PAGE,
                                             key, values, parsePage));
        }
    }
    return true;
}
