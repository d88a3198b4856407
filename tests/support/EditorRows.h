#pragma once
// The rights editor's rows by the names of the items they stand for: the editor suites name
// rows, never count them.

#include "zel/components/ZELMCLB.h"

#include <string>
#include <vector>

namespace zel::test {

inline void Toggle(TZELMenuCheckListBox& editor, const std::string& name) {
    editor.ToggleRow(editor.MenuItemNames().IndexOf(name));
}

/// The names of the checked rows, top to bottom.
inline std::vector<std::string> Checked(const TZELMenuCheckListBox& editor) {
    std::vector<std::string> names;
    for (int i = 0; i < editor.Count(); ++i) {
        if (editor.Checked(i)) {
            names.push_back(editor.MenuItemNames().Strings(i));
        }
    }
    return names;
}

/// The granted names, in the order of granting.
inline std::vector<std::string> Granted(const TZELMenuCheckListBox& editor) {
    return editor.Granted().Items();
}

} // namespace zel::test
