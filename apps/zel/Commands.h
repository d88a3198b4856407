#pragma once
// The tool's commands. Each returns its exit status with what to print; bad usage and
// unreadable input raise UsageError instead.

#include "Output.h"

#include <optional>
#include <string>
#include <vector>

namespace zel::cli {

struct Result {
    int status = 0; ///< 0 done, 1 refused or failed
    Json json = Json::object();
    std::string text; ///< for a person, UTF-8
};

struct Target {
    std::vector<std::string> forms;
    std::optional<std::string> provider; ///< 8-bit
    std::optional<std::string> editor;   ///< 8-bit
};

Result Example(const std::string& dir, bool force, const Style& style);
Result Login(const Target& target, const std::string& user, const std::string& password,
             const Style& style);
Result Users(const Target& target, const Style& style);
Result Rights(const Target& target, const std::string& user, const Style& style);
/// Grants (`grant` true) or revokes each of `names` for `user` and saves.
Result Change(const Target& target, const std::string& user, const std::vector<std::string>& names,
              bool grant, const Style& style);
Result Matrix(const Target& target, const std::string& format, const Style& style);
Result Palette(const std::optional<std::string>& exportDir, const Style& style);
Result FormCheck(const std::vector<std::string>& files, const Style& style);
Result FormFormat(const std::vector<std::string>& files);

/// Reads the password: from a terminal prompt without echo, or one line of standard input.
std::string ReadPassword(bool fromStdin);

} // namespace zel::cli
