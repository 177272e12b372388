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
        if (observer)
            observer->beginStatement(path, reader.lineNumber(), &values);
        const int refusedBefore = gConfig.refusedExpansions();
        for (int i = 0; i < values.count(); ++i)
            gConfig.expandInPlace(values.at(i));
        if (observer && gConfig.refusedExpansions() != refusedBefore)
            observer->note(Fate(Fate::EXPANSION_REFUSED));

        const int count = values.count();
        const bool isPage = key == "PAGE", isStartPage = key == "STARTPAGE";
        const bool isVariable = key == "VARIABLE";
        if (isPage && count == 1) {
            parsePage = toInt(values.at(0));
            if (observer && isPageIndex(parsePage)) {
                Fate opened(Fate::PAGE_OPENED);
                opened.index = parsePage;
                observer->note(opened);
            } else if (observer) {
                observer->note(Fate::written(Fate::PAGE_OUT_OF_RANGE, values.at(0)));
            }
        } else if (isStartPage && count == 1) {
            int start = toInt(values.at(0));
            if (isPageIndex(start))
                startPage = start;
            if (observer)
                observer->note(isPageIndex(start)
                                   ? Fate(Fate::STARTPAGE_TAKEN)
                                   : Fate::written(Fate::STARTPAGE_OUT_OF_RANGE, values.at(0)));
        } else if (isVariable && count > 1) {
            if (observer)
                observer->note(Fate(Fate::VARIABLE_TAKEN));
            WString name = values.takeAt(0);
            gConfig.set(name.printable(), values);
        } else if (isPageIndex(parsePage)) {
            if (observer)
                observer->note(Fate::ofStatement(isPage || isStartPage || isVariable
                                                     ? Fate::STARTUP_KEYWORD_TO_PAGE
                                                     : Fate::TO_PAGE,
                                                 key, values, parsePage));
            // The next statement replaces the values, so a button may take their texts.
            pages[parsePage].parseStatement(key, std::move(values));
        } else if (observer) {
            observer->note(Fate::ofStatement(isPage || isStartPage || isVariable
                                                 ? Fate::STARTUP_KEYWORD_DROPPED
                                                 : Fate::DROPPED_BEFORE_PAGE,
                                             key, values, parsePage));
        }
    }
    return true;
}
