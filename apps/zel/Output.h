#pragma once
// What a command prints: one JSON object with --json, text for a person otherwise
// (aligned columns, colour only on a terminal). All 8-bit text is converted to UTF-8 here.

#include "host/Menus.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace zel::cli {

using Json = nlohmann::ordered_json;

struct Style {
    bool colour = false;
    std::string Green(const std::string& s) const { return Paint("32", s); }
    std::string Red(const std::string& s) const { return Paint("31", s); }
    std::string Dim(const std::string& s) const { return Paint("2", s); }
    std::string Bold(const std::string& s) const { return Paint("1", s); }

private:
    std::string Paint(const char* code, const std::string& s) const {
        return colour ? "\x1b[" + std::string(code) + "m" + s + "\x1b[0m" : s;
    }
};

/// Colour when standard output is a terminal and NO_COLOR is not set.
Style TerminalStyle();

/// 8-bit text as a JSON string value.
Json Text(const std::string& bytes);
Json TextList(const std::vector<std::string>& bytes);

/// The menu left below `root`: [{"name","caption","enabled","visible","separator","items"}].
Json MenuJson(const host::TMenuItem& root);
/// The menu as an indented tree with each item's state.
std::string MenuText(const host::TMenuItem& root, const Style& style);

/// "enabled" or "disabled", with ", hidden" for what is not visible.
std::string StateText(const Style& style, bool enabled, bool visible);

/// The message boxes' texts, one indented line each.
std::string MessagesText(const std::vector<std::string>& messages);

/// A caption as the menu shows it: "&&" is "&", a single "&" marks the accelerator.
std::string DisplayCaption(const std::string& caption);

/// Rows of cells as aligned columns (cells are UTF-8; the width counts characters).
std::string Columns(const std::vector<std::vector<std::string>>& rows);

} // namespace zel::cli
