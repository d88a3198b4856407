#include "MenuOutput.h"

#include <algorithm>

namespace zel::cli {

namespace {
std::pair<bool, bool> StateIn(const host::TMenuItem& item, const StateOf& state) {
    return state ? state(item) : std::pair{item.Enabled(), item.Visible()};
}
} // namespace

Json MenuJson(const host::TMenuItem& root, const StateOf& state) {
    Json items = Json::array();
    for (int i = 0; i < root.Count(); ++i) {
        const host::TMenuItem& item = *root.Items(i);
        const auto [enabled, visible] = StateIn(item, state);
        items.push_back({{"name", Text(item.Name())},
                         {"caption", Text(item.Caption())},
                         {"enabled", enabled},
                         {"visible", visible},
                         {"separator", item.IsLine()},
                         {"items", MenuJson(item, state)}});
    }
    return items;
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
void MenuLines(const host::TMenuItem& parent, int level, const Style& style, const StateOf& state,
               std::vector<std::vector<std::string>>& rows) {
    for (int i = 0; i < parent.Count(); ++i) {
        const host::TMenuItem& item = *parent.Items(i);
        // Deep menus are shown to a bounded depth of indentation, like their captions.
        const std::string indent(static_cast<std::size_t>(std::min(level, 12)) * 2, ' ');
        if (item.IsLine()) {
            rows.push_back({indent + style.Dim("----"), "", ""});
        } else {
            const auto [enabled, visible] = StateIn(item, state);
            rows.push_back({indent + Visible(DisplayCaption(item.Caption())), Visible(item.Name()),
                            StateText(style, enabled, visible)});
        }
        MenuLines(item, level + 1, style, state, rows);
    }
}
} // namespace

void WriteMenu(const host::TMenuItem& root, const Style& style, const StateOf& state) {
    std::vector<std::vector<std::string>> rows;
    MenuLines(root, 0, style, state, rows);
    WriteColumns(style.Out(), rows);
}

} // namespace zel::cli
