#include "zel/host/core/ClassInfo.h"

#include "zel/host/core/CaseFold.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/detail/Immortal.h"

#include <unordered_map>
#include <unordered_set>

namespace zel::host {

namespace {
struct Registry {
    std::vector<const TClassInfo*> ordered;
    std::unordered_map<std::string, const TClassInfo*> byName;
    std::unordered_set<std::string> missing;
};
Registry& registry() {
    static Immortal<Registry> r;
    return *r;
}
} // namespace

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c != nullptr; c = c->parent) {
        if (c == &other) {
            return true;
        }
    }
    return false;
}

std::vector<const TPropInfo*> AllProperties(const TClassInfo& info) {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = &info; c != nullptr; c = c->parent) {
        chain.push_back(c);
    }
    std::vector<const TPropInfo*> props;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const TPropInfo& p : (*it)->properties) {
            std::erase_if(props, [&](const TPropInfo* q) { return SameText(q->name, p.name); });
            props.push_back(&p);
        }
    }
    return props;
}

const TPropInfo* FindProperty(const TClassInfo& info, const std::string& name) {
    for (const TClassInfo* c = &info; c != nullptr; c = c->parent) {
        for (const TPropInfo& p : c->properties) {
            if (SameText(p.name, name)) {
                return &p;
            }
        }
    }
    return nullptr;
}

void RegisterClass(const TClassInfo& info) {
    auto& r = registry();
    auto [it, inserted] = r.byName.emplace(info.name, &info);
    if (!inserted && it->second != &info) {
        throw EComponentError("A class named " + info.name + " is already registered");
    }
    if (inserted) {
        r.ordered.push_back(&info);
    }
}

const TClassInfo* FindClass(const std::string& name) {
    auto& r = registry();
    auto it = r.byName.find(name);
    return it == r.byName.end() ? nullptr : it->second;
}

std::vector<const TClassInfo*> RegisteredClasses() {
    return registry().ordered;
}

void RegisterMissingClass(const std::string& name) {
    registry().missing.insert(name);
}

bool IsMissingClass(const std::string& name) {
    return registry().missing.contains(name);
}

} // namespace zel::host
