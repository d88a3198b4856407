#include "Output.h"

#include "zel/host/core/TextEncoding.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

namespace zel::cli {

Style TerminalStyle(bool json) {
    Style s;
    s.json = json;
    s.out = &std::cout;
    const char* term = std::getenv("TERM");
    s.colour = !json && isatty(STDOUT_FILENO) != 0 && std::getenv("NO_COLOR") == nullptr &&
               !(term != nullptr && std::string(term) == "dumb");
    return s;
}

Json Text(const std::string& bytes) {
    return host::ToUtf8(bytes);
}

Json TextList(const std::vector<std::string>& bytes) {
    Json list = Json::array();
    for (const auto& b : bytes) {
        list.push_back(Text(b));
    }
    return list;
}

std::string Dump(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

namespace {
// Characters of a UTF-8 text that would act on a terminal rather than show: C0 controls,
// DEL, and the C1 controls U+0080..U+009F (encoded C2 80..C2 9F).
std::string EscapeControls(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        unsigned code = c;
        bool control = c < 0x20 || c == 0x7F;
        if (c == 0xC2 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) {
                control = true;
                code = next;
                ++i;
            }
        }
        if (control) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", code);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool IsLead(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

std::string Cut(const std::string& utf8, std::size_t width) {
    std::size_t chars = 0;
    std::size_t keep = utf8.size(); // bytes of the first width-1 characters
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (IsLead(utf8[i])) {
            if (chars == width - 1) {
                keep = i;
            }
            if (++chars > width) {
                return utf8.substr(0, keep) + "\u2026";
            }
        }
    }
    return utf8;
}

// Display width of a visible cell: characters, not counting our own colour codes.
std::size_t Width(const std::string& utf8) {
    std::size_t width = 0;
    bool escape = false;
    for (unsigned char c : utf8) {
        if (c == 0x1b) {
            escape = true;
        } else if (escape) {
            escape = c != 'm';
        } else if (IsLead(static_cast<char>(c))) {
            ++width;
        }
    }
    return width;
}
} // namespace

std::string Visible(const std::string& bytes, std::size_t width) {
    // Cut before escaping would count an escape as one character; cut after, on the
    // visible text, so the limit is what the reader sees.
    const std::string shown = EscapeControls(host::ToUtf8(bytes));
    return width == 0 ? shown : Cut(shown, width);
}

std::string VisiblePath(const std::string& path) {
    // A path is the operating system's bytes; shown as UTF-8 where it is, as U+FFFD elsewhere.
    const host::TTextEncoding saved = host::TextEncoding();
    host::SetTextEncoding(host::TTextEncoding::Utf8);
    std::string shown = EscapeControls(host::ToUtf8(path));
    host::SetTextEncoding(saved);
    return shown;
}

std::string StateText(const Style& style, bool enabled, bool visible) {
    std::string state = enabled ? style.Green("enabled") : style.Red("disabled");
    return visible ? state : state + style.Dim(", hidden");
}

void WriteMessages(const Style& style, const std::vector<std::string>& messages,
                   const std::string& cause) {
    for (const auto& m : messages) {
        style.Out() << "  " << Visible(m, 0) << '\n';
    }
    if (!cause.empty()) {
        style.Out() << "  " << style.Dim("cause: ") << Visible(cause, 0) << '\n';
    }
}

void WriteColumns(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) {
                widths.push_back(0);
            }
            widths[c] = std::max(widths[c], Width(row[c]));
        }
    }
    std::string line;
    for (const auto& row : rows) {
        line.clear();
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line.append(widths[c] - Width(row[c]) + 2, ' ');
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out << "  " << line << '\n';
    }
}

} // namespace zel::cli
