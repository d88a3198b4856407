#include "zel/components/RightsWalk.h"

#include "zel/components/MenuWalk.h"

namespace zel {

void ApplyRightsWalk(host::TMenuItem& parent, const host::TStringList& granted, bool hideDisabled) {
    WalkMenu(parent, [&](host::TMenuItem& item, int) {
        if (!item.IsLine()) {
            const bool isGranted = granted.Contains(item.Name());
            item.SetEnabled(isGranted);
            item.SetVisible(hideDisabled ? isGranted : true);
        }
        return TMenuStep::kNext;
    });
}

} // namespace zel
