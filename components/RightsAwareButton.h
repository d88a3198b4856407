#pragma once
// What the two rights-aware buttons share, over their different host bases: the link to a
// rights provider, the name of the right they need, and the check they make once their
// form has finished loading. Granted, the button shows and enables itself; not granted,
// it disables itself and hides when the provider hides what is not granted. A button with
// no provider is disabled, visibility as stored: a button guarded by a right never works
// unguarded.

#include "zel/components/ZELRight.h"
#include "zel/host/core/ComponentLink.h"
#include "zel/host/ui/Buttons.h"

#include <string>

namespace zel {

template <class Base> class TRightsAwareButton : public Base {
public:
    explicit TRightsAwareButton(host::TComponent* owner) : Base(owner) {}

    TZELRight* ZELRight() const { return zelRight_; }
    /// Links the provider (none unlinks).
    void SetZELRight(TZELRight* value) { zelRight_.Set(value); }
    const std::string& Right() const { return right_; }
    void SetRight(const std::string& value) { right_ = value; }

    void Loaded() override {
        Base::Loaded();
        if (zelRight_ == nullptr) {
            this->SetEnabled(false);
        } else if (zelRight_->HasRight(right_)) {
            this->SetVisible(true);
            this->SetEnabled(true);
        } else {
            this->SetEnabled(false);
            if (zelRight_->HideDisabledItem()) {
                this->SetVisible(false);
            }
        }
    }

    void KeyPress(char& key) override { Base::KeyPress(key); }

protected:
    void Notification(host::TComponent* component, host::TOperation operation) override {
        Base::Notification(component, operation); // the provider's link clears itself
    }

private:
    host::TComponentLink<TZELRight> zelRight_;
    std::string right_;
};

} // namespace zel
