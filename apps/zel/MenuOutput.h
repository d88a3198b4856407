#pragma once
// A menu as a command prints it: a JSON tree, or an indented table of captions, names and
// states, each cell made visible as Output.h does.

#include "Output.h"
#include "zel/host/ui/Menus.h"

#include <functional>
#include <string>
#include <utility>

namespace zel::cli {

/// An item's enabled and visible states as a user sees them; empty: the model's own.
using StateOf = std::function<std::pair<bool, bool>(const host::TMenuItem&)>;

/// The menu left below `root`: [{"name","caption","enabled","visible","separator","items"}].
Json MenuJson(const host::TMenuItem& root, const StateOf& state = {});
/// Writes the menu as an indented tree with each item's state.
void WriteMenu(const host::TMenuItem& root, const Style& style, const StateOf& state = {});

/// A caption as the menu shows it: "&&" is "&", a single "&" marks the accelerator.
std::string DisplayCaption(const std::string& caption);

} // namespace zel::cli
