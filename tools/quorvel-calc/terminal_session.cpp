// SPDX-License-Identifier: GPL-3.0-or-later
// GNU Readline through its callback interface: the program waits for the terminal itself, so a
// signal interrupts the wait and is handled here, between two keys, instead of inside
// Readline's own handlers, which could not drop the line being typed.
#include "tools/quorvel-calc/terminal_session.h"

#include "tools/quorvel-calc/name_completion.h"

#include "engine/base/file_writer.h"
#include "engine/base/system_messages.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <readline/history.h>
#include <readline/readline.h>

namespace quorvel::calc {
namespace {

constexpr const char* kPrompt = "> ";
// Lines kept in the history file; older ones are dropped when a session ends.
constexpr int kHistoryLines = 1000;

volatile std::sig_atomic_t g_signal = 0;

extern "C" void onSignal(int number)
{
    g_signal = number;
}

// Readline's hooks are plain functions; this is what they work on during a session.
struct Session
{
    const TEFParser* parser = nullptr;
    CalcSession* calc = nullptr;
    OutputFile* out = nullptr;
    OutputFile* err = nullptr;
    std::string historyFile;
    bool historyFailed = false;
    bool ended = false;
};
Session* g_session = nullptr;

std::string historyFile()
{
    const char* stateHome = std::getenv("XDG_STATE_HOME");
    if (stateHome != nullptr && stateHome[0] == '/')
        return std::string(stateHome) + "/quorvel/quorvel-calc-verlauf";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        return {};
    return std::string(home) + "/.local/state/quorvel/quorvel-calc-verlauf";
}

// The folder and the history file, only for their owner (a file others could read is made
// private); the file is created when missing, since Readline appends only to a file that
// exists. Something else under its name is left alone: reading a FIFO would wait for ever.
// Empty when the history can be kept, else the reason; `readable` says whether the earlier
// sessions' lines can be read all the same (a file the user may read but not write).
std::string prepareHistoryFile(const std::string& path, bool& readable)
{
    readable = false;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        std::filesystem::create_directories(folder.parent_path(), error);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return SystemErrorText(errno);
    }
    constexpr int kOptions = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | kOptions, 0600);
    const bool writable = fd >= 0;
    const int writeError = errno;
    if (!writable)
        fd = ::open(path.c_str(), O_RDONLY | kOptions);
    if (fd < 0)
        return SystemErrorText(writeError);
    std::string reason;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0) {
        reason = SystemErrorText(errno);
    } else if (!S_ISREG(info.st_mode)) {
        reason = NotRegularFileText(info.st_mode);
    } else {
        readable = true;
        if (!writable)
            reason = SystemErrorText(writeError);
        else if ((info.st_mode & 077) != 0 && ::fchmod(fd, info.st_mode & 0700) != 0)
            reason = SystemErrorText(errno);
    }
    ::close(fd);
    return reason;
}

void tellHistoryFailure(Session& session, const std::string& reason)
{
    if (session.historyFailed || reason.empty())
        return;
    session.historyFailed = true;
    session.err->Buffer() +=
        "quorvel-calc: Verlauf nicht gespeichert: " + session.historyFile + ": " + reason + "\n";
}

void remember(Session& session, const char* line)
{
    if (line[0] == '\0' || std::string_view(line).find_first_not_of(" \t") == std::string::npos)
        return;
    if (const HIST_ENTRY* last = history_get(history_base + history_length - 1);
        last != nullptr && std::strcmp(last->line, line) == 0)
        return;
    add_history(line);
    if (!session.historyFile.empty() && !session.historyFailed)
        if (const int error = append_history(1, session.historyFile.c_str()); error != 0)
            tellHistoryFailure(session, SystemErrorText(error));
}

bool isEnd(std::string_view line)
{
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
    return line.size() == 4 && (line[0] == 'e' || line[0] == 'E') &&
           (line.substr(1) == "nde" || line.substr(1) == "NDE");
}

void flushOutputs(Session& session)
{
    std::fflush(rl_outstream);
    session.out->Flush();
    session.err->Flush();
    if (session.out->Error() != 0)
        session.ended = true; // nobody sees the results any more
}

extern "C" void onLine(char* line)
{
    Session& session = *g_session;
    const std::unique_ptr<char, decltype(&std::free)> owned(line, &std::free);
    if (line == nullptr || isEnd(line)) {
        // Removed here, Readline shows no new prompt.
        rl_callback_handler_remove();
        session.ended = true;
        return;
    }
    remember(session, line);
    session.calc->Feed(std::string(line) + '\n', session.out->Buffer(), session.err->Buffer());
    flushOutputs(session);
}

// Readline's list: the text to put in place of the word first, then the completions, then a
// null pointer, all of them malloc'ed; a single completion stands alone.
char** completionList(const std::vector<std::string>& completions, std::string_view word)
{
    auto** list = static_cast<char**>(std::calloc(completions.size() + 2, sizeof(char*)));
    if (list == nullptr)
        return nullptr;
    std::string replacement = CommonStart(completions);
    // A start shorter than the word (a function's case differs) would take typed letters away.
    if (replacement.size() < word.size())
        replacement = word;
    list[0] = ::strdup(completions.size() == 1 ? completions.front().c_str() : replacement.c_str());
    if (completions.size() > 1) {
        for (std::size_t i = 0; i < completions.size(); ++i)
            list[i + 1] = ::strdup(completions[i].c_str());
    }
    return list;
}

extern "C" char** complete(const char* text, int /*start*/, int /*end*/)
{
    rl_attempted_completion_over = 1; // names only, never file names
    rl_completion_suppress_append = 1;
    const std::vector<std::string> completions = NameCompletions(*g_session->parser, text);
    return completions.empty() ? nullptr : completionList(completions, text);
}

void install()
{
    rl_callback_handler_install(kPrompt, onLine);
}

// A signal that arrived while the program waited for a key.
void handleSignal(Session& session)
{
    const int number = g_signal;
    g_signal = 0;
    switch (number) {
    case 0:
        return;
    case SIGINT:
        // As in a shell: the line being typed is dropped, and a fresh prompt waits.
        rl_free_line_state();
        rl_callback_sigcleanup();
        rl_callback_handler_remove();
        std::fputc('\n', rl_outstream);
        install();
        return;
    case SIGWINCH:
        rl_resize_terminal();
        return;
    case SIGTSTP: {
        // Stopped with the terminal as the shell left it, and back with the line as it was.
        rl_deprep_terminal();
        std::signal(SIGTSTP, SIG_DFL);
        std::raise(SIGTSTP);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigaction(SIGTSTP, &action, nullptr);
        rl_prep_terminal(1);
        rl_forced_update_display();
        return;
    }
    default: // SIGTERM, SIGHUP: the session ends, the terminal restored.
        rl_callback_handler_remove();
        flushOutputs(session);
        std::signal(number, SIG_DFL);
        std::raise(number);
        session.ended = true;
        return;
    }
}

} // namespace

bool TerminalAtHand()
{
    return isatty(STDIN_FILENO) == 1 && (isatty(STDOUT_FILENO) == 1 || isatty(STDERR_FILENO) == 1);
}

void RunTerminalSession(const TEFParser& parser, CalcSession& session, OutputFile& out,
                        OutputFile& err)
{
    Session state{&parser, &session, &out, &err, historyFile()};
    g_session = &state;

    // Readline needs to know the terminal's characters to edit "²" or "Ω" as one; the sheet is
    // UTF-8 whatever the locale says, so a locale without multibyte characters gets UTF-8.
    if (std::setlocale(LC_CTYPE, "") == nullptr || MB_CUR_MAX == 1)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    rl_readline_name = "quorvel-calc";
    rl_instream = stdin;
    // The line being edited shows on the terminal; the results go to standard output, wherever
    // it leads.
    rl_outstream = isatty(STDOUT_FILENO) == 1 ? stdout : stderr;
    rl_catch_signals = 0;
    rl_catch_sigwinch = 0;
    rl_attempted_completion_function = complete;
    rl_basic_word_break_characters = const_cast<char*>(kNameBreakCharacters);
    rl_completer_word_break_characters = const_cast<char*>(kNameBreakCharacters);

    using_history();
    stifle_history(kHistoryLines);
    if (!state.historyFile.empty()) {
        bool readable = false;
        tellHistoryFailure(state, prepareHistoryFile(state.historyFile, readable));
        if (readable)
            read_history(state.historyFile.c_str());
    }
    flushOutputs(state);

    // Without SA_RESTART: the signal ends the wait for the next key, and is handled at once.
    struct sigaction action = {};
    action.sa_handler = onSignal;
    for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGWINCH, SIGTSTP})
        sigaction(number, &action, nullptr);

    install();
    while (!state.ended) {
        pollfd terminal{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&terminal, 1, -1);
        if ((ready < 0 && errno != EINTR) || (terminal.revents & POLLNVAL) != 0)
            break;
        if (ready > 0)
            rl_callback_read_char(); // at the end of the terminal it hands onLine no line
        handleSignal(state);
    }
    rl_callback_handler_remove();
    if (!state.historyFile.empty() && !state.historyFailed)
        history_truncate_file(state.historyFile.c_str(), kHistoryLines);
    flushOutputs(state);
    g_session = nullptr;
}

} // namespace quorvel::calc
