#include "components/ButtonRight.h"

namespace zel {

void ApplyButtonRight(host::TControl& button, const TZELRight* provider, const std::string& right) {
    if (provider == nullptr) {
        button.SetEnabled(false);
        return;
    }
    if (provider->HasRight(right)) {
        button.SetVisible(true);
        button.SetEnabled(true);
    } else {
        button.SetEnabled(false);
        if (provider->HideDisabledItem()) {
            button.SetVisible(false);
        }
    }
}

} // namespace zel
