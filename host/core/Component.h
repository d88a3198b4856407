#pragma once
// TComponent: the base of every component. A component has an owner that deletes it, a
// name unique among its owner's components, and free-notification links: after
// A->FreeNotification(B), whichever of A and B is destroyed first tells the other through
// Notification(dying, opRemove), so no link to a destroyed component survives.

#include "zel/host/core/ClassInfo.h"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace zel::host {

enum TOperation { opInsert = 0, opRemove = 1 };

class TComponent {
public:
    /// Creates a component owned by `owner` (nullptr: the caller owns it). Components live
    /// on the heap; the owner deletes those it still owns when it is destroyed.
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    TComponent(TComponent&&) = delete;
    TComponent& operator=(TComponent&&) = delete;

    static const TClassInfo& StaticClass();
    virtual const TClassInfo& Class() const { return StaticClass(); }
    const std::string& ClassName() const { return Class().name; }

    /// Destroys the component (it must have been created with new).
    void Free() { delete this; }

    const std::string& Name() const { return name_; }
    /// Raises EComponentError unless `name` is empty or an identifier (ASCII letters,
    /// digits and '_', not starting with a digit) that no other component of the owner has
    /// (letter case ignored, as the form reader looks names up).
    void SetName(const std::string& name);
    static bool IsValidIdent(const std::string& name);

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const;
    TComponent* Components(int index) const;
    /// The owned component of that name (letter case ignored), or nullptr.
    TComponent* FindComponent(const std::string& name) const;

    /// Links this component and `other` both ways for destruction notices.
    void FreeNotification(TComponent* other);
    /// Withdraws the link made by FreeNotification, both ways.
    void RemoveFreeNotification(TComponent* other);

    /// Told, before its properties are set, the folder of the form file the component is
    /// read from, for properties that name files relative to it.
    virtual void SetFormFolder(const std::string& folder) { (void)folder; }

    /// Form files: why an object of class `cls` may not be read nested in this component,
    /// or "" when it may. By default nothing may be nested.
    virtual std::string RefusesNested(const TClassInfo& cls) const;
    /// Form files: places `child`, just created for a nested object (and owned by the
    /// form), as the next one nested in this component.
    virtual void AddNested(TComponent& child) { (void)child; }
    /// Form files: the components written nested in this one, in order. The form writes
    /// at its top level only those that no component holds nested.
    virtual std::vector<const TComponent*> Nested() const { return {}; }

    /// Called once after the component's form and all its links were streamed in.
    virtual void Loaded() {}
    /// True while the component's form is being streamed in (before Loaded).
    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }
    /// True from the start of the base destructor on.
    bool Destroying() const { return destroying_; }

protected:
    /// Told when a free-notification partner is destroyed (opRemove). The base withdraws
    /// the partner's link; overrides call it first, then clear their own links.
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void Compact() const;

    TComponent* owner_ = nullptr;
    std::string name_;
    bool loading_ = false;
    bool destroying_ = false;
    std::size_t ownerSlot_ = 0; // index in the owner's component list

    struct Owned;
    Owned& Own();

    // What only owners and linked components need lives apart, made at first use, so that
    // a component of a large menu that owns and links nothing stays small.
    std::unique_ptr<Owned> owned_;
    std::unique_ptr<std::unordered_set<TComponent*>> freeNotifies_;
};

} // namespace zel::host
