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

    // Why the image decoder refused the last file.
    virtual void noteImageError(const std::string& reason) = 0;

protected:
    ~SkinObserver() = default;
    virtual void reportStatement(const std::string& message) = 0;

private:
    static SkinObserver* s_attached;
};
