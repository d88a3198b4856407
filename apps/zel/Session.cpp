#include "Session.h"

#include "Encoding.h"
#include "host/FormFile.h"

namespace zel::cli {

std::string Argument(const std::string& utf8, const std::string& what) {
    auto bytes = FromUtf8(utf8);
    if (!bytes) {
        throw UsageError(
            what + " holds a character that the 8-bit character set (Windows-1252) does not have");
    }
    return *bytes;
}

Session::Session() {
    previous_ = host::SetMessagePresenter([this](const host::TMessage& m) {
        messages_.push_back(m.text);
        return 1;
    });
}

Session::~Session() {
    // Later forms link to earlier ones; destroy them first (either order would be safe).
    while (!forms_.empty()) {
        forms_.pop_back();
    }
    host::SetMessagePresenter(std::move(previous_));
}

host::TForm& Session::Read(const std::string& path, bool runLoaded) {
    try {
        host::TFormOptions options;
        options.runLoaded = runLoaded;
        forms_.emplace_back(host::ReadForm(path, nullptr, options));
    } catch (const host::EFormError& e) {
        throw UsageError(e.what());
    }
    return *forms_.back();
}

void Session::ReadAll(const std::vector<std::string>& paths, bool runLoaded) {
    for (const auto& p : paths) {
        Read(p, runLoaded);
    }
}

template <class T> std::vector<T*> Session::FindAll(const std::optional<std::string>& name) const {
    std::vector<T*> found;
    for (const auto& form : forms_) {
        for (int i = 0; i < form->ComponentCount(); ++i) {
            auto* c = dynamic_cast<T*>(form->Components(i));
            if (c == nullptr) {
                continue;
            }
            if (!name || c->Name() == *name || form->Name() + "." + c->Name() == *name) {
                found.push_back(c);
            }
        }
    }
    return found;
}

template <class T>
T& Session::FindOne(const std::optional<std::string>& name, const char* what,
                    const char* option) const {
    auto found = FindAll<T>(name);
    if (found.empty()) {
        throw UsageError(name ? std::string("no ") + what + " named " + *name + " in the forms"
                              : std::string("no ") + what + " in the forms");
    }
    if (found.size() > 1) {
        throw UsageError(std::string("more than one ") + what + " in the forms: name one with " +
                         option);
    }
    return *found.front();
}

TZELRight& Session::Provider(const std::optional<std::string>& name) const {
    return FindOne<TZELRight>(name, "rights provider (TZELRight)", "--provider");
}

TZELMenuCheckListBox& Session::Editor(const std::optional<std::string>& name) const {
    return FindOne<TZELMenuCheckListBox>(name, "rights editor (TZELMenuCheckListBox)", "--editor");
}

bool Session::HasProvider(const std::optional<std::string>& name) const {
    return !FindAll<TZELRight>(name).empty();
}

bool MoveToUser(host::TDataSet& table, const std::string& field, const std::string& id) {
    for (table.First(); !table.Eof(); table.Next()) {
        if (table.FieldByName(field).AsString() == id) {
            return true;
        }
    }
    return false;
}

} // namespace zel::cli
