#include "zel/components/RightsWalk.h"

#include <vector>

namespace zel {

void ApplyRightsWalk(host::TMenuItem& parent, const host::TStringList& granted, bool hideDisabled) {
    struct Frame {
        host::TMenuItem* item;
        int next;
        int count; // taken once, before the item's sub-items are visited
    };
    std::vector<Frame> stack{{&parent, 0, parent.Count()}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.count || top.next >= top.item->Count()) {
            stack.pop_back();
            continue;
        }
        host::TMenuItem* item = top.item->Items(top.next++);
        if (!item->IsLine()) {
            bool isGranted = granted.Contains(item->Name());
            item->SetEnabled(isGranted);
            item->SetVisible(hideDisabled ? isGranted : true);
        }
        if (item->Count() > 0) {
            stack.push_back({item, 0, item->Count()}); // invalidates `top`
        }
    }
}

} // namespace zel
