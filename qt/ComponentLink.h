#pragma once
// A non-owning link from a widget to a component, cleared when the component is destroyed
// (through the host's free-notification), so a widget that outlives its model never
// follows a dangling pointer.

#include "zel/host/core/Component.h"

namespace zel::qt {

template <class T> class TComponentLink : public host::TComponent {
public:
    explicit TComponentLink(T* target = nullptr) : host::TComponent(nullptr) { Set(target); }
    ~TComponentLink() override = default;

    T* Get() const { return target_; }
    void Set(T* target) {
        if (target_ != nullptr) {
            RemoveFreeNotification(target_);
        }
        target_ = target;
        if (target_ != nullptr) {
            FreeNotification(target_);
        }
    }

protected:
    void Notification(host::TComponent* component, host::TOperation operation) override {
        host::TComponent::Notification(component, operation);
        if (operation == host::opRemove && component == target_) {
            target_ = nullptr;
        }
    }

private:
    T* target_ = nullptr;
};

} // namespace zel::qt
