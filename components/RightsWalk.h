#pragma once
// The rights walk shared by the provider and the editor's preview: every item below
// `parent` that is not a separator is enabled exactly when its Name is granted, and shown
// when granted or when `hideDisabled` is false. Separators are left alone, but their
// sub-items are walked. Depth-first, parent before its sub-items, in item order; it uses
// no recursion, so a menu of any depth is safe.

#include "zel/host/text/StringList.h"
#include "zel/host/ui/Menus.h"

namespace zel {

void ApplyRightsWalk(host::TMenuItem& parent, const host::TStringList& granted, bool hideDisabled);

} // namespace zel
