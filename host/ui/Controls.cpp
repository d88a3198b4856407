#include "zel/host/ui/Controls.h"

namespace zel::host {

const TClassInfo& TControl::StaticClass() {
    static const TClassInfo info{
        "TControl",
        &TComponent::StaticClass(),
        nullptr,
        {
            BoolProp<TControl>("Enabled", &TControl::Enabled, &TControl::SetEnabled, true),
            BoolProp<TControl>("Visible", &TControl::Visible, &TControl::SetVisible, true),
        }};
    return info;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {}

TControl::~TControl() {
    changes_.Emit({TChangeKind::Destroying});
}

void TControl::SetCaption(const std::string& caption) {
    changes_.Assign(caption_, caption, TChangeKind::Caption);
}

void TControl::SetEnabled(bool enabled) {
    changes_.Assign(enabled_, enabled, TChangeKind::Enabled);
}

void TControl::SetVisible(bool visible) {
    changes_.Assign(visible_, visible, TChangeKind::Visible);
}

void TControl::Click() {
    if (enabled_ && fOnClick_) {
        fOnClick_.handler(this);
    }
}

void TControl::DblClick() {
    if (enabled_ && fOnDblClick_) {
        fOnDblClick_.handler(this);
    }
}

void TControl::KeyPress(char& key) {
    if (fOnKeyPress_) {
        fOnKeyPress_.handler(this, key);
    }
}

} // namespace zel::host
