// The hooks the skin and configuration readers call to tell a checker what they take or drop.
#pragma once

#include <string>

#include "text/WString.h"

class SkinObserver {
public:
    // Null in the launcher: every hook tests this first, so an unattached run does nothing more.
    static SkinObserver* observer() { return s_attached; }
    static void attach(SkinObserver* observer) { s_attached = observer; }

    // A statement of path at line starts; it belongs to no page or slot until told otherwise.
    virtual void beginStatement(const char* path, int line) = 0;
    // The raw values of a skin statement, before expansion.
    virtual void checkRawValues(const WString::Array& values) = 0;
    virtual void setPage(int page) = 0;
    virtual void setSlot(int slot) = 0;
    virtual int page() const = 0;
    virtual int slot() const = 0;

    // The current statement set field of the current page and slot (a later one replaces it).
    virtual void noteField(const std::string& field) = 0;
    // Like noteField, but the first statement to set field keeps it.
    virtual void noteFirstField(const std::string& field) = 0;

    // A problem with the current statement.
    void report(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The current statement, written as statement, lies outside range and starts a stretch of
    // dropped statements until the next one of its kind: a PAGE for scope -1, else a BUTTON of
    // page scope. An empty statement ends the stretch.
    virtual void noteDropCause(int scope, const std::string& statement, const char* range) = 0;
    // Why a statement of scope is dropped: the statement that caused it and its line, or that it
    // comes before the first PAGE or BUTTON.
    virtual std::string dropReason(int scope) const = 0;
    // A dropped statement: this line replaces whatever else the statement was reported for,
    // since nothing of it reaches a page.
    void reportDrop(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // The statement file at path starts with a UTF-8 byte-order mark, read past from here on.
    virtual void noteByteOrderMark(const char* path) = 0;
    // Line line of path is too long to be held, and is skipped.
    virtual void noteLineTooLong(const char* path, int line) = 0;
    // path could not be read after line line (0: not at all); the rest of it is missing.
    virtual void noteReadFailure(const char* path, int line) = 0;

    // Why the image decoder refused the last file.
    virtual void noteImageError(const std::string& reason) = 0;

protected:
    ~SkinObserver() = default;
    virtual void reportStatement(const std::string& message) = 0;
    virtual void reportDroppedStatement(const std::string& message) = 0;

private:
    static SkinObserver* s_attached;
};
