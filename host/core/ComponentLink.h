#pragma once
// A non-owning link to a component that clears itself when the component is destroyed
// (through the free-notification), so whoever holds it never follows a dangling pointer.
// Components hold their links to data sources, menus and providers this way; widgets that
// outlive their model do too.
//
// Pointing elsewhere withdraws the notification from the old target; pointing at nothing
// keeps nothing. The holder's own rules (which values a setter accepts, what it rebuilds)
// stay with the holder.

#include "zel/host/core/Component.h"

namespace zel::host {

template <class T> class TComponentLink : public TComponent {
public:
    explicit TComponentLink(T* target = nullptr) : TComponent(nullptr) { Set(target); }
    ~TComponentLink() override = default;

    T* Get() const { return target_; }
    operator T*() const { return target_; }
    T* operator->() const { return target_; }

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
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == target_) {
            target_ = nullptr;
        }
    }

private:
    T* target_ = nullptr;
};

} // namespace zel::host
