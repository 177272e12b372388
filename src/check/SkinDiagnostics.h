// Records what the launcher drops or cannot use while reading a skin; attached only by the checker.
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
    void beginStatement(const char* path, int line) override;
    // The raw values of a skin statement, before expansion: an odd "%" drops text.
    void checkRawValues(const WString::Array& values) override;
    void setPage(int page) override { m_page = page; }
    void setSlot(int slot) override { m_slot = slot; }
    int page() const override { return m_page; }
    int slot() const override { return m_slot; }

    // The current statement set field of the current page and slot (a later one replaces it).
    void noteField(const std::string& field) override;
    // Like noteField, but the first statement to set field keeps it.
    void noteFirstField(const std::string& field) override;
    bool fieldLocation(const std::string& file, int page, int slot, const std::string& field,
                       Location& where) const;

    // Of the problems reported with the current statement only the first is kept, since
    // whatever follows from it (a dropped statement reaching a button) adds nothing.
    void reportAt(const std::string& file, int line, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    const std::vector<Problem>& problems() const { return m_problems; }
    // Sorted by file, then line, then text; exact repeats removed.
    std::vector<Problem> sortedProblems() const;

    void noteDropCause(int scope, const std::string& statement, const char* range) override;
    std::string dropReason(int scope) const override;
    void noteByteOrderMark(const char* path) override;
    void noteLineTooLong(const char* path, int line) override;
    void noteReadFailure(const char* path, int line) override;

    // Why the image decoder refused the last file; emptied by taking it.
    void noteImageError(const std::string& reason) override { m_imageError = reason; }
    std::string takeImageError();

private:
    void reportStatement(const std::string& message) override;
    void reportDroppedStatement(const std::string& message) override;
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
