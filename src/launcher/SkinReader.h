// The skin file read statement by statement into the page table, with the start-up keywords.
#pragma once

#include "text/WString.h"

class Page;
class SkinObserver;

class SkinReader {
public:
    // Every value is expanded against the configuration first; PAGE, STARTPAGE and VARIABLE
    // are taken here, everything else goes to the page being filled (pages has
    // Launcher::PAGE_COUNT entries). false when the file cannot be opened.
    static bool read(const char* path, Page* pages, int& startPage);

private:
    // What the checker's observer learns of a statement, before it is taken.
    static void noteStatement(SkinObserver& observer, const WString& key,
                              const WString::Array& values, int parsePage);
};
