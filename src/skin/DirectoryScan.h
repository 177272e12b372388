// The listing of one directory as a FileList shows it.
#pragma once

#include "text/WString.h"

class DirectoryScan {
public:
    // Appends the listing of directory to into, then sorts all of into: folders as "name/"
    // (bare names and no ".." for FileList::DIRECTORIES), files whose names end with one of
    // endings (once per matching ending; the single ending "*" lists every file).
    static void scan(const WString& directory, const WString::Array& endings, WString::Array& into,
                     int type);
    // Folders (a trailing "/") before files, each group in case-insensitive byte order.
    static int compareEntries(const void* a, const void* b);
    // Entries in compareEntries' order, those it finds alike in the order they came (as the
    // C library's merge sort leaves them), with each entry's key worked out once.
    static void sortEntries(WString::Array& entries);
};
