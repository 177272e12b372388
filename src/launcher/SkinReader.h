// The skin file read statement by statement into the page table, with the start-up keywords.
#pragma once

class Page;

class SkinReader {
public:
    // Every value is expanded against the configuration first; PAGE, STARTPAGE and VARIABLE
    // are taken here, everything else goes to the page being filled (pages has
    // Launcher::PAGE_COUNT entries). false when the file cannot be opened.
    static bool read(const char* path, Page* pages, int& startPage);
};
