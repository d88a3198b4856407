#include "zel/host/core/Events.h"

#include "zel/host/core/detail/Immortal.h"

#include <unordered_map>

namespace zel::host {

namespace {
std::unordered_map<std::string, TAnyHandler>& Handlers() {
    static Immortal<std::unordered_map<std::string, TAnyHandler>> handlers;
    return *handlers;
}
} // namespace

void RegisterHandler(const std::string& name, TAnyHandler handler) {
    Handlers()[name] = std::move(handler);
}

void UnregisterHandler(const std::string& name) {
    Handlers().erase(name);
}

const TAnyHandler* FindHandler(const std::string& name) {
    auto it = Handlers().find(name);
    return it == Handlers().end() ? nullptr : &it->second;
}

} // namespace zel::host
