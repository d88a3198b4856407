#include "zel/host/Component.h"

#include "zel/host/Errors.h"

namespace zel::host {

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
    while (!freeNotifies_.empty()) {
        auto it = freeNotifies_.begin();
        TComponent* other = *it;
        freeNotifies_.erase(it);
        other->freeNotifies_.erase(this);
        other->Notification(this, opRemove);
    }
    // Destroy owned components, last created first; each removes itself from our list.
    while (true) {
        while (!components_.empty() && components_.back() == nullptr) {
            components_.pop_back();
            --holes_;
        }
        if (components_.empty()) {
            break;
        }
        delete components_.back();
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

std::string TComponent::NameKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
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
            owner_->byName_.erase(NameKey(name_));
        }
        if (!name.empty()) {
            owner_->byName_[NameKey(name)] = this;
        }
    }
    name_ = name;
}

int TComponent::ComponentCount() const {
    Compact();
    return static_cast<int>(components_.size());
}

TComponent* TComponent::Components(int index) const {
    Compact();
    if (index < 0 || static_cast<std::size_t>(index) >= components_.size()) {
        throw EComponentError("Component index " + std::to_string(index) + " out of bounds");
    }
    return components_[static_cast<std::size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) {
        return nullptr;
    }
    auto it = byName_.find(NameKey(name));
    return it == byName_.end() ? nullptr : it->second;
}

void TComponent::FreeNotification(TComponent* other) {
    if (other == nullptr || other == this) {
        return;
    }
    freeNotifies_.insert(other);
    other->freeNotifies_.insert(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (other == nullptr) {
        return;
    }
    freeNotifies_.erase(other);
    other->freeNotifies_.erase(this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove) {
        freeNotifies_.erase(component);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    component->ownerSlot_ = components_.size();
    components_.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component) {
    std::size_t slot = component->ownerSlot_;
    if (slot < components_.size() && components_[slot] == component) {
        components_[slot] = nullptr;
        ++holes_;
        while (!components_.empty() && components_.back() == nullptr) {
            components_.pop_back();
            --holes_;
        }
    }
    if (!component->name_.empty()) {
        auto it = byName_.find(NameKey(component->name_));
        if (it != byName_.end() && it->second == component) {
            byName_.erase(it);
        }
    }
}

void TComponent::Compact() const {
    if (holes_ == 0) {
        return;
    }
    std::size_t out = 0;
    for (TComponent* c : components_) {
        if (c != nullptr) {
            c->ownerSlot_ = out;
            components_[out++] = c;
        }
    }
    components_.resize(out);
    holes_ = 0;
}

} // namespace zel::host
