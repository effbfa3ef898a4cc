// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program as a child process and collects what it writes: through pipes (as a script
// or another program would call it) or on a pseudo-terminal (as a user at a terminal sees it).
#pragma once

#include <string>
#include <vector>

namespace quorvel::testing {

struct ProcessResult
{
    int status = -1; // exit status; -1 when the child did not exit normally
    std::string out;
    std::string err;
};

// argv[0] is the program's path. stdinBytes is fed to its standard input.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& stdinBytes = {});

// A child whose standard input stays open while the test reads what it answers, as a program
// that talks to a filter line by line does. Standard error is dropped.
class Conversation
{
public:
    explicit Conversation(const std::vector<std::string>& argv);
    ~Conversation();
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    void send(const std::string& bytes);
    // Standard output read until it ends with `until`, or until it ends or the bound of
    // seconds has passed (a bound against hanging, not a measurement).
    std::string readUntil(const std::string& until, int seconds);
    // Closes standard input; the rest of standard output and the exit status.
    ProcessResult finish();

private:
    int m_pid = -1;
    int m_in = -1;
    int m_out = -1;
};

// Whether this machine can open a pseudo-terminal at all (containers may lack /dev/ptmx).
bool TerminalAvailable();

// Standard output and error on one raw pseudo-terminal (no newline translation), standard
// input empty. Everything written ends up in out.
ProcessResult RunInTerminal(const std::vector<std::string>& argv);

// A child on a pseudo-terminal of its own (its standard input, output and error), as a person
// at a terminal runs it: keys are typed, and what the terminal shows is read back.
class TerminalSession
{
public:
    // environment: "NAME=value" entries added to this process's environment for the child.
    TerminalSession(const std::vector<std::string>& argv,
                    const std::vector<std::string>& environment);
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    void type(const std::string& keys);
    // Reads until the terminal has shown `text` since the end of what the last successful wait
    // found; false when it has not within the bound of seconds (against hanging, not a
    // measurement) or the terminal ended.
    bool waitFor(const std::string& text, int seconds = 30);
    // Everything the terminal has shown.
    const std::string& shown() const { return m_shown; }
    // The exit status once the child has ended by itself; -1 when it did not within the bound
    // or did not exit normally.
    int finish(int seconds = 30);

private:
    int m_pid = -1;
    int m_master = -1;
    std::string m_shown;
    std::size_t m_seen = 0;
};

// A file in a fresh temporary folder that is removed with the object.
class TempFile
{
public:
    explicit TempFile(const std::string& bytes, const std::string& name = "sheet.txt");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

} // namespace quorvel::testing
