// Collects the statements and problems the launcher reports while a checker is attached.
#include "check/SkinDiagnostics.h"

#include <algorithm>
#include <cstdio>

#include "config/InputFile.h"

SkinDiagnostics::SkinDiagnostics()
    : m_line(0), m_page(-1), m_slot(-1), m_statementReported(false), m_statementProblem(0)
{
}

std::string SkinDiagnostics::displayName(const char* path) const
{
    std::string name = path ? path : "";
    if (!m_base.empty() && name.compare(0, m_base.size(), m_base) == 0)
        name.erase(0, m_base.size());
    return name;
}

void SkinDiagnostics::beginStatement(const char* path, int line)
{
    const std::string file = displayName(path);
    // What dropped statements in one file says nothing about another.
    if (file != m_file)
        m_dropCauses.clear();
    m_file = file;
    m_line = line;
    m_page = -1;
    m_slot = -1;
    m_statementReported = false;
}

void SkinDiagnostics::checkRawValues(const WString::Array& values)
{
    for (int i = 0; i < values.count(); i++) {
        const char* text = values.at(i).printable();
        int percents = 0;
        for (const char* p = text; *p; p++)
            percents += *p == '%';
        // Expansion pairs up "%" signs; text after an unpaired last one vanishes.
        if (percents % 2 != 0) {
            report("unmatched %% in value %d \"%s\": the text from the last %% on is dropped "
                   "(write %%%% for a percent sign)",
                   i + 1, text);
            return;
        }
    }
}

std::string SkinDiagnostics::fieldKey(const std::string& file, int page, int slot,
                                      const std::string& field)
{
    return file + '\n' + std::to_string(page) + '\n' + std::to_string(slot) + '\n' + field;
}

void SkinDiagnostics::noteField(const std::string& field)
{
    m_fields[fieldKey(m_file, m_page, m_slot, field)] = Location{m_file, m_line};
}

void SkinDiagnostics::noteFirstField(const std::string& field)
{
    auto placed = m_fields.emplace(fieldKey(m_file, m_page, m_slot, field), Location{m_file, m_line});
    // A slot's second block adds to the button of its first, so it is always a slip.
    if (!placed.second && field == "BUTTON")
        report("BUTTON=%d is opened again (first at line %d): its statements go on with that "
               "button and replace its earlier ones; use a free slot",
               m_slot, placed.first->second.line);
}

void SkinDiagnostics::noteByteOrderMark(const char* path)
{
    reportAt(displayName(path), 1,
             "the file starts with a UTF-8 byte-order mark: the launcher takes it for part of the "
             "first key, which it then does not know; save the file without it");
}

void SkinDiagnostics::noteLineTooLong(const char* path, int line)
{
    reportAt(displayName(path), line,
             "the line is longer than %zu bytes: the launcher skips it; split it into shorter "
             "statements",
             InputFile::MAX_LINE_BYTES);
}

void SkinDiagnostics::noteReadFailure(const char* path, int line)
{
    reportAt(displayName(path), line,
             "the file cannot be read after this line: the launcher misses the rest of it");
}

bool SkinDiagnostics::fieldLocation(const std::string& file, int page, int slot,
                                    const std::string& field, Location& where) const
{
    auto found = m_fields.find(fieldKey(file, page, slot, field));
    if (found == m_fields.end())
        return false;
    where = found->second;
    return true;
}

void SkinDiagnostics::add(const std::string& file, int line, const char* format, va_list args)
{
    char buffer[1024];
    vsnprintf(buffer, sizeof(buffer), format, args);
    m_problems.push_back(Problem{file, line, buffer});
}

void SkinDiagnostics::reportStatement(const std::string& message)
{
    if (m_statementReported)
        return;
    m_statementReported = true;
    m_statementProblem = m_problems.size();
    m_problems.push_back(Problem{m_file, m_line, message});
}

void SkinDiagnostics::reportDroppedStatement(const std::string& message)
{
    if (m_statementReported) {
        m_problems[m_statementProblem].message = message;
        return;
    }
    reportStatement(message);
}

void SkinDiagnostics::noteDropCause(int scope, const std::string& statement, const char* range)
{
    if (statement.empty())
        m_dropCauses.erase(scope);
    else
        m_dropCauses[scope] = DropCause{statement, m_line, range ? range : ""};
}

std::string SkinDiagnostics::dropReason(int scope) const
{
    auto cause = m_dropCauses.find(scope);
    if (cause != m_dropCauses.end())
        return "it follows " + cause->second.statement + " at line " +
               std::to_string(cause->second.line) + ", which is outside " + cause->second.range;
    if (scope < 0)
        return "it comes before the first PAGE";
    return "it comes before the first BUTTON of page " + std::to_string(scope);
}

void SkinDiagnostics::reportAt(const std::string& file, int line, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    add(file, line, format, args);
    va_end(args);
}

std::vector<SkinDiagnostics::Problem> SkinDiagnostics::sortedProblems() const
{
    std::vector<Problem> sorted = m_problems;
    auto order = [](const Problem& a, const Problem& b) {
        if (a.file != b.file)
            return a.file < b.file;
        if (a.line != b.line)
            return a.line < b.line;
        return a.message < b.message;
    };
    std::stable_sort(sorted.begin(), sorted.end(), order);
    auto same = [](const Problem& a, const Problem& b) {
        return a.file == b.file && a.line == b.line && a.message == b.message;
    };
    sorted.erase(std::unique(sorted.begin(), sorted.end(), same), sorted.end());
    return sorted;
}

std::string SkinDiagnostics::takeImageError()
{
    std::string reason;
    reason.swap(m_imageError);
    return reason;
}
