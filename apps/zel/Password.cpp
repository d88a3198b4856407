#include "Commands.h"
#include "Session.h"
#include "zel/host/text/Secret.h"

#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace zel::cli {

namespace {
// One line of standard input, read straight from the descriptor a byte at a time: the C
// library's input buffer would keep a copy of the password that nothing wipes. A line
// that outgrows its string leaves no copy behind either.
std::string ReadLine() {
    std::string line;
    line.reserve(256);
    bool any = false;
    char c = 0;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0 || c == '\n') {
            any = any || n > 0;
            break;
        }
        any = true;
        if (line.size() == line.capacity()) {
            std::string larger;
            larger.reserve(line.capacity() * 2);
            larger.assign(line);
            host::WipeSecret(line);
            line.swap(larger);
        }
        line.push_back(c);
    }
    c = 0;
    if (!any) {
        throw UsageError("no password on standard input");
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

// The terminal's settings before the prompt turned echo off, for the signal handler.
termios g_saved{};

// Ctrl-C (or a hang-up, or kill) at the prompt: give the terminal its echo back, then end
// as a shell expects of an interrupted program. Only async-signal-safe calls here.
extern "C" void RestoreTerminalAndExit(int signal) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
    const char newline = '\n';
    (void)!write(STDERR_FILENO, &newline, 1);
    _exit(128 + signal);
}

// Echo off for the lifetime of the guard, restored on every way out.
class QuietTerminal {
public:
    QuietTerminal() {
        tcgetattr(STDIN_FILENO, &g_saved);
        struct sigaction action {};
        action.sa_handler = RestoreTerminalAndExit;
        sigemptyset(&action.sa_mask);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            sigaction(s, &action, &previous_[Slot(s)]);
        }
        termios quiet = g_saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~QuietTerminal() {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_saved);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            sigaction(s, &previous_[Slot(s)], nullptr);
        }
        std::cerr << '\n';
    }
    QuietTerminal(const QuietTerminal&) = delete;
    QuietTerminal& operator=(const QuietTerminal&) = delete;

private:
    static int Slot(int s) { return s == SIGINT ? 0 : s == SIGTERM ? 1 : s == SIGHUP ? 2 : 3; }
    struct sigaction previous_[4]{};
};
} // namespace

std::string ReadPassword(bool fromStdin, const char* prompt) {
    // From here on the process holds a password: no core dump may carry it away.
    prctl(PR_SET_DUMPABLE, 0);
    if (fromStdin) {
        std::string line = ReadLine();
        std::string password = Argument(line, "the password");
        host::WipeSecret(line);
        return password;
    }
    if (isatty(STDIN_FILENO) == 0) {
        throw UsageError("standard input is not a terminal to ask the password on; pipe it with "
                         "--password-stdin");
    }
    std::string line;
    {
        // Echo off and Ctrl-C handled before the prompt shows, so nothing typed after it
        // is echoed and an interrupt at once still restores the terminal.
        QuietTerminal quiet;
        std::cerr << prompt << std::flush;
        line = ReadLine();
    }
    std::string password = Argument(line, "the password");
    host::WipeSecret(line);
    return password;
}

} // namespace zel::cli
