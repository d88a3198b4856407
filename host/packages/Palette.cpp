#include "zel/host/packages/Palette.h"

#include "zel/host/core/detail/Immortal.h"

#include <algorithm>
#include <map>

namespace zel::host {

namespace {
std::vector<TPalettePage>& Pages() {
    static Immortal<std::vector<TPalettePage>> pages;
    return *pages;
}
std::map<std::string, std::string>& Resources() {
    static Immortal<std::map<std::string, std::string>> resources;
    return *resources;
}
} // namespace

std::string BitmapResourceName(const TClassInfo& componentClass) {
    std::string name = componentClass.name;
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return name;
}

void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes) {
    auto& pages = Pages();
    auto it =
        std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return p.name == page; });
    if (it == pages.end()) {
        pages.push_back({page, {}});
        it = pages.end() - 1;
    }
    for (const TClassInfo* cls : classes) {
        RegisterClass(*cls);
        auto& entries = it->entries;
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const auto& e) { return e.componentClass == cls; })) {
            const std::string* bitmap = FindResource(BitmapResourceName(*cls));
            entries.push_back({cls, bitmap != nullptr ? *bitmap : std::string()});
        }
    }
}

const std::vector<TPalettePage>& PalettePages() {
    return Pages();
}

void ClearPalette() {
    Pages().clear();
}

void RegisterResource(const std::string& name, std::string bytes) {
    Resources()[name] = std::move(bytes);
}

void UnregisterResource(const std::string& name) {
    Resources().erase(name);
}

const std::string* FindResource(const std::string& name) {
    auto it = Resources().find(name);
    return it == Resources().end() ? nullptr : &it->second;
}

} // namespace zel::host
