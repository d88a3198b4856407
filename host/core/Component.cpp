#include "zel/host/core/Component.h"

#include "zel/host/core/CaseFold.h"
#include "zel/host/core/Errors.h"

#include <string_view>
#include <unordered_map>
#include <vector>

namespace zel::host {

// Owned components in creation order. A destroyed component leaves a hole that is squeezed
// out lazily, so freeing one of many components costs O(1). The name index refers to each
// component's own name, which stays put while it is indexed.
struct TComponent::Owned {
    std::vector<TComponent*> list;
    std::size_t holes = 0;
    // Names are identifiers (ASCII), so every text setting folds them alike.
    std::unordered_map<std::string_view, TComponent*, TFoldedHash, TFoldedEqual> byName;
};

TComponent::Owned& TComponent::Own() {
    if (!owned_) {
        owned_ = std::make_unique<Owned>();
    }
    return *owned_;
}

const TClassInfo& TComponent::StaticClass() {
    static const TClassInfo info{"TComponent", nullptr, nullptr, {}};
    return info;
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_ != nullptr) {
        if (owner_->destroying_) {
            throw EComponentError("Cannot create a component owned by a component being destroyed");
        }
        owner_->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    destroying_ = true;
    // Tell every partner first, one at a time: a partner's handler may destroy further
    // components, which then withdraw themselves from this set before we reach them.
    while (freeNotifies_ && !freeNotifies_->empty()) {
        auto it = freeNotifies_->begin();
        TComponent* other = *it;
        freeNotifies_->erase(it);
        if (other->freeNotifies_) {
            other->freeNotifies_->erase(this);
        }
        other->Notification(this, opRemove);
    }
    // Destroy owned components, last created first; each removes itself from our list.
    while (owned_) {
        std::vector<TComponent*>& list = owned_->list;
        while (!list.empty() && list.back() == nullptr) {
            list.pop_back();
            --owned_->holes;
        }
        if (list.empty()) {
            break;
        }
        delete list.back();
    }
    if (owner_ != nullptr) {
        owner_->RemoveComponent(this);
    }
}

bool TComponent::IsValidIdent(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    auto letter = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (!letter(static_cast<unsigned char>(name[0]))) {
        return false;
    }
    for (unsigned char c : name) {
        if (!letter(c) && !(c >= '0' && c <= '9')) {
            return false;
        }
    }
    return true;
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) {
        return;
    }
    if (!name.empty() && !IsValidIdent(name)) {
        throw EComponentError("\"" + name + "\" is not a valid component name");
    }
    if (owner_ != nullptr) {
        if (!name.empty()) {
            TComponent* other = owner_->FindComponent(name);
            if (other != nullptr && other != this) {
                throw EComponentError("A component named " + name + " already exists");
            }
        }
        if (!name_.empty()) {
            auto& byName = owner_->Own().byName;
            if (auto it = byName.find(name_); it != byName.end() && it->second == this) {
                byName.erase(it);
            }
        }
        name_ = name;
        if (!name_.empty()) {
            owner_->Own().byName[name_] = this;
        }
        return;
    }
    name_ = name;
}

int TComponent::ComponentCount() const {
    Compact();
    return owned_ ? static_cast<int>(owned_->list.size()) : 0;
}

TComponent* TComponent::Components(int index) const {
    Compact();
    if (index < 0 || index >= ComponentCount()) {
        throw EComponentError("Component index " + std::to_string(index) + " out of bounds");
    }
    return owned_->list[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty() || !owned_) {
        return nullptr;
    }
    auto it = owned_->byName.find(name);
    return it == owned_->byName.end() ? nullptr : it->second;
}

void TComponent::FreeNotification(TComponent* other) {
    if (other == nullptr || other == this) {
        return;
    }
    for (auto [from, to] : {std::pair{this, other}, std::pair{other, this}}) {
        if (!from->freeNotifies_) {
            from->freeNotifies_ = std::make_unique<std::unordered_set<TComponent*>>();
        }
        from->freeNotifies_->insert(to);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (other == nullptr) {
        return;
    }
    for (auto [from, to] : {std::pair{this, other}, std::pair{other, this}}) {
        if (from->freeNotifies_) {
            from->freeNotifies_->erase(to);
        }
    }
}

std::string TComponent::RefusesNested(const TClassInfo&) const {
    return ClassName() + " cannot hold nested objects";
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && freeNotifies_) {
        freeNotifies_->erase(component);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    Owned& owned = Own();
    component->ownerSlot_ = owned.list.size();
    owned.list.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!owned_) {
        return;
    }
    std::vector<TComponent*>& list = owned_->list;
    std::size_t slot = component->ownerSlot_;
    if (slot < list.size() && list[slot] == component) {
        list[slot] = nullptr;
        ++owned_->holes;
        while (!list.empty() && list.back() == nullptr) {
            list.pop_back();
            --owned_->holes;
        }
    }
    if (!component->name_.empty()) {
        auto it = owned_->byName.find(component->name_);
        if (it != owned_->byName.end() && it->second == component) {
            owned_->byName.erase(it);
        }
    }
}

void TComponent::Compact() const {
    if (!owned_ || owned_->holes == 0) {
        return;
    }
    std::size_t out = 0;
    for (TComponent* c : owned_->list) {
        if (c != nullptr) {
            c->ownerSlot_ = out;
            owned_->list[out++] = c;
        }
    }
    owned_->list.resize(out);
    owned_->holes = 0;
}

} // namespace zel::host
