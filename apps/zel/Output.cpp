#include "Output.h"

#include "Encoding.h"

#include <cstdlib>
#include <unistd.h>

namespace zel::cli {

Style TerminalStyle() {
    Style s;
    const char* term = std::getenv("TERM");
    s.colour = isatty(STDOUT_FILENO) != 0 && std::getenv("NO_COLOR") == nullptr &&
               !(term != nullptr && std::string(term) == "dumb");
    return s;
}

Json Text(const std::string& bytes) {
    return ToUtf8(bytes);
}

Json TextList(const std::vector<std::string>& bytes) {
    Json list = Json::array();
    for (const auto& b : bytes) {
        list.push_back(Text(b));
    }
    return list;
}

Json MenuJson(const host::TMenuItem& root) {
    Json items = Json::array();
    for (int i = 0; i < root.Count(); ++i) {
        const host::TMenuItem& item = *root.Items(i);
        items.push_back({{"name", Text(item.Name())},
                         {"caption", Text(item.Caption())},
                         {"enabled", item.Enabled()},
                         {"visible", item.Visible()},
                         {"separator", item.IsLine()},
                         {"items", MenuJson(item)}});
    }
    return items;
}

std::string StateText(const Style& style, bool enabled, bool visible) {
    std::string state = enabled ? style.Green("enabled") : style.Red("disabled");
    return visible ? state : state + style.Dim(", hidden");
}

std::string MessagesText(const std::vector<std::string>& messages) {
    std::string text;
    for (const auto& m : messages) {
        text += "  " + ToUtf8(m) + "\n";
    }
    return text;
}

std::string DisplayCaption(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

namespace {
void MenuLines(const host::TMenuItem& parent, int level, const Style& style,
               std::vector<std::vector<std::string>>& rows) {
    for (int i = 0; i < parent.Count(); ++i) {
        const host::TMenuItem& item = *parent.Items(i);
        const std::string indent(static_cast<std::size_t>(level) * 2, ' ');
        if (item.IsLine()) {
            rows.push_back({indent + style.Dim("----"), "", ""});
        } else {
            const std::string state = StateText(style, item.Enabled(), item.Visible());
            rows.push_back(
                {indent + ToUtf8(DisplayCaption(item.Caption())), ToUtf8(item.Name()), state});
        }
        MenuLines(item, level + 1, style, rows);
    }
}

std::size_t Width(const std::string& utf8) {
    std::size_t width = 0;
    bool escape = false;
    for (unsigned char c : utf8) {
        if (c == 0x1b) {
            escape = true;
        } else if (escape) {
            escape = c != 'm';
        } else if ((c & 0xC0) != 0x80) {
            ++width;
        }
    }
    return width;
}
} // namespace

std::string MenuText(const host::TMenuItem& root, const Style& style) {
    std::vector<std::vector<std::string>> rows;
    MenuLines(root, 0, style, rows);
    return Columns(rows);
}

std::string Columns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) {
                widths.push_back(0);
            }
            widths[c] = std::max(widths[c], Width(row[c]));
        }
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) {
                line += std::string(widths[c] - Width(row[c]) + 2, ' ');
            }
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        out += "  " + line + "\n";
    }
    return out;
}

} // namespace zel::cli
