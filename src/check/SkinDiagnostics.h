// Words what the launcher drops or cannot use while reading a skin; attached only by the checker.
#pragma once

#include <cstdarg>
#include <map>
#include <string>
#include <vector>

#include "config/SkinObserver.h"
#include "text/WString.h"

class SkinDiagnostics final : public SkinObserver {
public:
    struct Problem {
        std::string file;
        int line;
        std::string message;
    };
    struct Location {
        std::string file;
        int line;
    };

    SkinDiagnostics();

    // Files are named relative to this directory in reports.
    void setBaseDirectory(const WString& base) { m_base = base.printable(); }
    std::string displayName(const char* path) const;

    // A statement of path at line starts; it belongs to no page or slot until told otherwise.
    // Its raw values, when given, are checked for an odd "%", which drops text.
    void beginStatement(const char* path, int line, const WString::Array* rawValues) override;
    void beginStatement(const char* path, int line) { beginStatement(path, line, nullptr); }
    // Words what became of the current statement, of a line or of an image file.
    void note(const Fate& fate) override;

    void setPage(int page) { m_page = page; }
    void setSlot(int slot) { m_slot = slot; }
    // The current statement set field of the current page and slot (a later one replaces it).
    void noteField(const std::string& field);
    // Like noteField, but the first statement to set field keeps it.
    void noteFirstField(const std::string& field);
    bool fieldLocation(const std::string& file, int page, int slot, const std::string& field,
                       Location& where) const;

    // A problem with the current statement. Of those only the first is kept, since whatever
    // follows from it (a dropped statement reaching a button) adds nothing.
    void report(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void reportAt(const std::string& file, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    const std::vector<Problem>& problems() const { return m_problems; }
    // Sorted by file, then line, then text; exact repeats removed.
    std::vector<Problem> sortedProblems() const;

    // Why the image decoder refused the last file; emptied by taking it.
    std::string takeImageError();

private:
    // A dropped statement: this line replaces whatever else the statement was reported for,
    // since nothing of it reaches a page.
    void reportDrop(const std::string& message);
    void keepStatementProblem(const std::string& message, bool dropped);
    // The fields a button statement sets, and what its values do that the skin may not mean.
    void noteButtonStatement(const WString& key, const WString::Array& values);
    // A PAGE, STARTPAGE or VARIABLE whose count of values none of them takes, and where it went.
    std::string startUpKeywordMisfit(const WString& key, int count, const std::string& fate) const;
    void noteImageError(const Fate& fate);
    // The current statement, written as statement, lies outside range and starts a stretch of
    // dropped statements until the next one of its kind: a PAGE for scope -1, else a BUTTON of
    // page scope. An empty statement ends the stretch.
    void noteDropCause(int scope, const std::string& statement, const std::string& range);
    // Why a statement of scope is dropped: the statement that caused it and its line, or that it
    // comes before the first PAGE or BUTTON.
    std::string dropReason(int scope) const;
    static std::string fieldKey(const std::string& file, int page, int slot, const std::string& field);
    void add(const std::string& file, int line, const char* format, va_list args);

    std::string m_base;
    std::string m_file;
    int m_line;
    int m_page;
    int m_slot;
    bool m_statementReported;
    // Index in m_problems of the current statement's problem, when it has one.
    size_t m_statementProblem;
    struct DropCause {
        std::string statement;
        int line;
        std::string range;
    };
    // By scope: -1 for the page being filled, else the page whose slot is being filled.
    std::map<int, DropCause> m_dropCauses;
    std::map<std::string, Location> m_fields;
    std::vector<Problem> m_problems;
    std::string m_imageError;
};
