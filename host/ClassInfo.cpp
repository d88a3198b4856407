#include "host/ClassInfo.h"

#include "host/Errors.h"

#include <unordered_map>

namespace zel::host {

namespace {
struct Registry {
    std::vector<const TClassInfo*> ordered;
    std::unordered_map<std::string, const TClassInfo*> byName;
};
Registry& registry() {
    static Registry r;
    return r;
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

std::vector<const TClassInfo*> RegisteredClasses() { return registry().ordered; }

} // namespace zel::host
