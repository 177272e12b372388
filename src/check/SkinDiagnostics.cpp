// Words what the readers tell while a checker is attached, and collects the problems.
#include "check/SkinDiagnostics.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "check/CheckSupport.h"
#include "config/Config.h"
#include "config/InputFile.h"
#include "launcher/Launcher.h"
#include "skin/Button.h"
#include "skin/Page.h"

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

void SkinDiagnostics::beginStatement(const char* path, int line, const WString::Array* rawValues)
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
    if (!rawValues)
        return;
    for (int i = 0; i < rawValues->count(); i++) {
        const char* text = rawValues->at(i).printable();
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

void SkinDiagnostics::note(const Fate& fate)
{
    const std::string pages = "0.." + std::to_string(Launcher::PAGE_COUNT - 1);
    const std::string slots = "0.." + std::to_string(Page::SLOT_COUNT - 1);
    switch (fate.kind) {
    case Fate::BYTE_ORDER_MARK:
        reportAt(displayName(fate.path), fate.line,
                 "the file starts with a UTF-8 byte-order mark: the launcher takes it for part of "
                 "the first key, which it then does not know; save the file without it");
        break;
    case Fate::LINE_TOO_LONG:
        reportAt(displayName(fate.path), fate.line,
                 "the line is longer than %zu bytes: the launcher skips it; split it into shorter "
                 "statements",
                 InputFile::MAX_LINE_BYTES);
        break;
    case Fate::READ_FAILED:
        reportAt(displayName(fate.path), fate.line,
                 "the file cannot be read after this line: the launcher misses the rest of it");
        break;
    case Fate::EXPANSION_REFUSED:
        report("a reference is left as written: expanding it would make a value longer than %zu "
               "bytes, or the skin's references add more than %zu bytes in all",
               Config::MAX_EXPANDED_BYTES, Config::MAX_STORE_EXPANSION_BYTES);
        break;
    case Fate::PAGE_OPENED:
        noteDropCause(-1, std::string(), std::string());
        setPage(fate.index);
        noteFirstField("PAGE");
        break;
    case Fate::PAGE_OUT_OF_RANGE:
        report("PAGE=%s is outside %s: the statements after it are dropped until the next PAGE",
               fate.text, pages.c_str());
        noteDropCause(-1, std::string("PAGE=") + fate.text, pages);
        break;
    case Fate::STARTPAGE_TAKEN:
        noteField("STARTPAGE");
        break;
    case Fate::STARTPAGE_OUT_OF_RANGE:
        report("STARTPAGE=%s is outside %s and is ignored", fate.text, pages.c_str());
        break;
    case Fate::VARIABLE_TAKEN:
        break;
    case Fate::TO_PAGE:
        setPage(fate.index);
        break;
    case Fate::STARTUP_KEYWORD_TO_PAGE:
        report("%s", startUpKeywordMisfit(*fate.key, fate.values->count(),
                                          "goes to the page as an ordinary statement").c_str());
        setPage(fate.index);
        break;
    case Fate::DROPPED_BEFORE_PAGE:
        reportDrop(std::string(fate.key->printable()) + " is dropped: " + dropReason(-1));
        break;
    case Fate::STARTUP_KEYWORD_DROPPED:
        reportDrop(startUpKeywordMisfit(*fate.key, fate.values->count(),
                                        "is dropped: " + dropReason(-1)));
        break;
    case Fate::PAGE_STATEMENT_TAKEN:
        noteField(fate.key->printable());
        break;
    case Fate::BUTTON_OPENED:
        noteDropCause(m_page, std::string(), std::string());
        setSlot(fate.index);
        noteFirstField("BUTTON");
        break;
    case Fate::BUTTON_OUT_OF_RANGE:
        report("BUTTON=%s is outside %s: the statements after it are dropped until the next "
               "BUTTON",
               fate.text, slots.c_str());
        noteDropCause(m_page, std::string("BUTTON=") + fate.text, slots);
        break;
    case Fate::DROPPED_BEFORE_BUTTON:
        reportDrop(std::string(fate.key->printable()) + " is dropped: " + dropReason(m_page));
        break;
    case Fate::BUTTON_STATEMENT_TAKEN:
        setSlot(fate.index);
        noteButtonStatement(*fate.key, *fate.values);
        break;
    case Fate::NOT_A_BUTTON_STATEMENT:
        setSlot(fate.index);
        report("unknown keyword \"%s\" in a button (page %d, slot %d)", fate.key->printable(),
               m_page, m_slot);
        break;
    case Fate::DAT_STATEMENT_TAKEN:
        if (*fate.key == "DIRECTORY" && fate.values->count() > 1)
            report("DIRECTORY takes one path, not %d values: the ones after the first are ignored",
                   fate.values->count());
        noteField(fate.key->printable());
        break;
    case Fate::NOT_A_DAT_STATEMENT:
        report("unknown keyword \"%s\" in Trevandel.dat", fate.key->printable());
        break;
    case Fate::IMAGE_NOT_OPENED:
    case Fate::IMAGE_NOT_PNG:
    case Fate::IMAGE_TOO_LARGE:
    case Fate::IMAGE_OVER_BUDGET:
    case Fate::IMAGE_DECODER_ERROR:
        noteImageError(fate);
        break;
    }
}

std::string SkinDiagnostics::startUpKeywordMisfit(const WString& key, int count,
                                                  const std::string& fate) const
{
    char buffer[1024];
    if (key == "VARIABLE")
        snprintf(buffer, sizeof(buffer),
                 "VARIABLE with %d value defines nothing (it takes a name and at least one value) "
                 "and %s",
                 count, fate.c_str());
    else
        snprintf(buffer, sizeof(buffer),
                 "%s with %d values is not a page number (it takes exactly 1) and %s",
                 key.printable(), count, fate.c_str());
    return buffer;
}

void SkinDiagnostics::noteButtonStatement(const WString& key, const WString::Array& values)
{
    const Button::Statement& statement = *Button::statement(key);
    switch (statement.effect) {
    case Button::SETS_SELECT_TARGETS: {
        // Tells a direction set here from one set by its own statement.
        noteField(statement.key);
        for (int i = 0; i < Button::SELECT_TARGETS && i < values.count(); i++) {
            noteField(Button::actionKey(i));
            if (values.at(i).length() == 0)
                report("%s value %d (%s) is empty and reads as slot 0: give a slot, or set the "
                       "other directions alone with %s=select,N",
                       statement.key, i + 1, check::DIRECTION_NAMES[i],
                       Button::actionKey(i == Button::ON_LEFT ? Button::ON_RIGHT : Button::ON_LEFT));
        }
        if (values.count() > Button::SELECT_TARGETS)
            report("%s takes at most %d slots (left, right, up, down), not %d: the ones after the "
                   "fourth are ignored",
                   statement.key, Button::SELECT_TARGETS, values.count());
        break;
    }
    case Button::SETS_OPTION:
        noteField(std::string(statement.key) + " " + values.at(0).printable());
        break;
    default:
        noteField(statement.key);
        break;
    }
}

void SkinDiagnostics::noteImageError(const Fate& fate)
{
    switch (fate.kind) {
    case Fate::IMAGE_NOT_OPENED: {
        struct stat info;
        if (stat(fate.path, &info) != 0)
            m_imageError = errno == ENOENT || errno == ENOTDIR
                               ? "does not exist"
                               : std::string("cannot be read: ") + strerror(errno);
        else if (!S_ISREG(info.st_mode))
            m_imageError = "is not a regular file";
        else
            m_imageError = "cannot be read: permission denied or a read error";
        break;
    }
    case Fate::IMAGE_NOT_PNG:
        m_imageError = "is not a PNG file";
        break;
    case Fate::IMAGE_TOO_LARGE:
        m_imageError = "is too large (" + std::to_string(fate.width) + "x" +
                       std::to_string(fate.height) + " pixels; at most " +
                       std::to_string(fate.limit) + ")";
        break;
    case Fate::IMAGE_OVER_BUDGET:
        m_imageError = "needs " + std::to_string(fate.bytes) + " bytes decoded (" +
                       std::to_string(fate.width) + "x" + std::to_string(fate.height) +
                       "), more than the " + std::to_string(fate.limit) +
                       " left of the image budget";
        break;
    default:
        m_imageError = std::string("libpng error: ") + fate.text;
        break;
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

void SkinDiagnostics::keepStatementProblem(const std::string& message, bool dropped)
{
    if (m_statementReported) {
        if (dropped)
            m_problems[m_statementProblem].message = message;
        return;
    }
    m_statementReported = true;
    m_statementProblem = m_problems.size();
    m_problems.push_back(Problem{m_file, m_line, message});
}

void SkinDiagnostics::report(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    keepStatementProblem(buffer, false);
}

void SkinDiagnostics::reportDrop(const std::string& message)
{
    keepStatementProblem(message, true);
}

void SkinDiagnostics::noteDropCause(int scope, const std::string& statement,
                                    const std::string& range)
{
    if (statement.empty())
        m_dropCauses.erase(scope);
    else
        m_dropCauses[scope] = DropCause{statement, m_line, range};
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
