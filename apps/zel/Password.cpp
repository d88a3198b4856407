#include "Commands.h"
#include "Session.h"

#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace zel::cli {

namespace {
std::string ReadLine(std::istream& in) {
    std::string line;
    if (!std::getline(in, line) && line.empty()) {
        throw UsageError("no password on standard input");
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}
} // namespace

std::string ReadPassword(bool fromStdin) {
    if (fromStdin) {
        return Argument(ReadLine(std::cin), "the password");
    }
    if (isatty(STDIN_FILENO) == 0) {
        throw UsageError("standard input is not a terminal to ask the password on; pipe it with "
                         "--password-stdin");
    }
    termios saved{};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    std::cerr << "Password: " << std::flush;
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    std::string line;
    try {
        line = ReadLine(std::cin);
    } catch (...) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << '\n';
        throw;
    }
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
    return Argument(line, "the password");
}

} // namespace zel::cli
