// While one of these lives, standard output (and standard error, unless kept) goes nowhere.
#pragma once

// The launcher's loading prints its usual lines; a tool that reloads or checks a skin again
// and again keeps the terminal for its own report.
class QuietOutput {
public:
    // What goes quiet: OUTPUT_ONLY leaves standard error alone, so sanitizer and library reports
    // still show.
    enum Streams { OUTPUT_AND_ERRORS, OUTPUT_ONLY };

    explicit QuietOutput(Streams streams = OUTPUT_AND_ERRORS);
    ~QuietOutput();
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

private:
    int m_stdout;
    int m_stderr;
};
