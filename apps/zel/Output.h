#pragma once
// What a command prints: one JSON object with --json, text for a person otherwise. Only the
// form asked for is built. Text rows go straight to the output as they are made, each cell
// shown visibly (control bytes as \x1B) and cut to a bounded width, so no caption can
// forge a row or blow the output up. All 8-bit text becomes UTF-8 here, by the host's text
// setting.

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

namespace zel::cli {

using Json = nlohmann::ordered_json;

struct Style {
    bool json = false;   ///< print one JSON object; no text is built
    bool colour = false; ///< ANSI colours, for a terminal
    std::ostream* out = nullptr;

    std::ostream& Out() const { return *out; }
    std::string Green(const std::string& s) const { return Paint("32", s); }
    std::string Red(const std::string& s) const { return Paint("31", s); }
    std::string Dim(const std::string& s) const { return Paint("2", s); }
    std::string Bold(const std::string& s) const { return Paint("1", s); }

private:
    std::string Paint(const char* code, const std::string& s) const {
        return colour ? "\x1b[" + std::string(code) + "m" + s + "\x1b[0m" : s;
    }
};

/// Text output to standard output, with colour when it is a terminal and NO_COLOR is not set.
Style TerminalStyle(bool json);

/// Widest a text cell is shown, in characters; longer ones end in an ellipsis.
constexpr std::size_t kMaxCellWidth = 48;

/// 8-bit text as a JSON string value (always valid UTF-8).
Json Text(const std::string& bytes);
Json TextList(const std::vector<std::string>& bytes);
/// `json` as text that never fails, whatever bytes its strings hold.
std::string Dump(const Json& json);

/// 8-bit text for a terminal: UTF-8, control characters shown as \xHH, at most `width`
/// characters (0: no limit), cut with an ellipsis.
std::string Visible(const std::string& bytes, std::size_t width = kMaxCellWidth);
/// A path or argument as given (bytes of the system, not of the 8-bit set), made visible.
std::string VisiblePath(const std::string& path);

/// "enabled" or "disabled", with ", hidden" for what is not visible.
std::string StateText(const Style& style, bool enabled, bool visible);

/// Writes the message boxes' texts, one indented line each, then the cause when one is
/// known ("cause: Record changed by another user").
void WriteMessages(const Style& style, const std::vector<std::string>& messages,
                   const std::string& cause = {});

/// Writes rows of cells (already visible UTF-8) as aligned columns.
void WriteColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows);

} // namespace zel::cli
