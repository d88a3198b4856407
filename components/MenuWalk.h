#pragma once
// The one walk over a menu that the rights walk, the removal of special items and the
// editor's rows share: depth-first, each item before its sub-items, in item order, with
// an explicit stack instead of recursion, so a menu of any depth is safe.
//
// `visit(item, level)` (level 0 for the sub-items of `parent`) returns kNext to go on,
// into the item's sub-items first, or kFreed when it destroyed the item: the walk then
// takes the item that moved up into its place. Items added during the walk are not
// visited; items taken away are never touched.

#include "zel/host/ui/Menus.h"

#include <vector>

namespace zel {

enum class TMenuStep { kNext, kFreed };

template <class Visit> void WalkMenu(host::TMenuItem& parent, Visit visit) {
    struct Frame {
        host::TMenuItem* parent;
        int next;
        int end; // the sub-items there were when the walk came in, less those freed since
        int level;
    };
    std::vector<Frame> stack{{&parent, 0, parent.Count(), 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.end || top.next >= top.parent->Count()) {
            stack.pop_back();
            continue;
        }
        host::TMenuItem* item = top.parent->Items(top.next);
        const int level = top.level;
        if (visit(*item, level) == TMenuStep::kFreed) {
            --top.end;
            continue;
        }
        ++top.next;
        if (item->Count() > 0) {
            stack.push_back({item, 0, item->Count(), level + 1}); // invalidates `top`
        }
    }
}

} // namespace zel
