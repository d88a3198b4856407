#include "Session.h"

#include "Commands.h"
#include "zel/host/core/TextEncoding.h"

#include <filesystem>
#include <iostream>
#include <iterator>

namespace zel::cli {

std::string Argument(const std::string& utf8, const std::string& what) {
    auto bytes = host::FromUtf8(utf8);
    if (!bytes) {
        throw UsageError(what + " is not valid " + host::TextEncodingName(host::TextEncoding()) +
                         " text (see --encoding)");
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

namespace {
// A lock is the database's state, not the input's: the same command may succeed in a
// moment, so it is a failure (exit 1), not unreadable input (exit 2).
bool IsLock(const std::exception_ptr& cause) {
    if (!cause) {
        return false;
    }
    try {
        std::rethrow_exception(cause);
    } catch (const host::EDatabaseLocked&) {
        return true;
    } catch (...) {
        return false; // any other cause: the input is at fault
    }
}
} // namespace

host::TForm* ReadFormFile(const std::string& path, const host::TFormOptions& options) {
    if (path != kStandardInput) {
        return host::ReadForm(path, nullptr, options);
    }
    const std::string text{std::istreambuf_iterator<char>(std::cin),
                           std::istreambuf_iterator<char>()};
    return host::ReadFormText(text, "<stdin>", std::filesystem::current_path().string(), nullptr,
                              options);
}

host::TForm& Session::Read(const std::string& path, const host::TFormOptions& options) {
    try {
        if (IsUiFile(path)) {
            forms_.push_back(windows_.Load(path));
            uiForms_.insert(forms_.back().get());
        } else {
            forms_.emplace_back(ReadFormFile(path, options));
        }
    } catch (const host::EFormError& e) {
        if (IsLock(e.Cause())) {
            throw Failure(e.what());
        }
        throw UsageError(e.what());
    }
    return *forms_.back();
}

void Session::ReadAll(const std::vector<std::string>& paths, const host::TFormOptions& options) {
    for (const auto& p : paths) {
        Read(p, options);
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

Result Refused(const std::string& message, const Style& style) {
    Result r;
    r.status = 1;
    if (style.json) {
        r.json = {{"result", false}, {"messages", Json::array({message})}};
    } else {
        style.Out() << style.Red(message) << '\n';
    }
    return r;
}

} // namespace zel::cli
