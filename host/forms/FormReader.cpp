#include "zel/host/core/CaseFold.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/forms/HostClasses.h"
#include "zel/host/forms/detail/FormParser.h"

#include <climits>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace zel::host {

EFormError::EFormError(const std::string& file, int line, const std::string& what,
                       std::exception_ptr cause)
    : Exception(file + ":" + std::to_string(line) + ": " + what), file_(file), line_(line),
      cause_(std::move(cause)) {}

namespace {

using form::Node;
using form::Value;

struct Fixup {
    TComponent* component;
    const TPropInfo* property;
    Value value;
    int line;
};

class Reader {
public:
    Reader(const std::string& file, const std::string& folder, const TFormOptions& options)
        : file_(file), folder_(folder), options_(options) {}

    TForm* Read(const Node& rootNode, TComponent* owner) {
        const TClassInfo* cls = FindClass(rootNode.className);
        if (cls == nullptr || !cls->InheritsFrom(TForm::StaticClass()) || cls->create == nullptr) {
            Fail(rootNode.line, cls == nullptr ? "unknown class " + rootNode.className
                                               : rootNode.className + " is not a form class");
        }
        if (TForm::FindForm(rootNode.name) != nullptr) {
            Fail(rootNode.line, "a form named " + rootNode.name + " is already loaded");
        }
        auto* form = static_cast<TForm*>(cls->create(owner));
        // Until the read succeeds the form is ours to destroy, with all it holds.
        std::unique_ptr<TForm> guard(form);
        form_ = form;
        try {
            Begin(*form, rootNode);
            SetProperties(*form, rootNode);
            ReadChildren(*form, rootNode);
            ResolveFixups();
            if (options_.beforeLoaded) {
                for (auto& [c, line] : loaded_) {
                    options_.beforeLoaded(*c, line);
                }
            }
            if (!options_.runLoaded) {
                return guard.release();
            }
            for (auto& [c, line] : loaded_) {
                c->SetLoading(false);
            }
            for (auto& [c, line] : loaded_) {
                try {
                    c->Loaded();
                } catch (const std::exception& e) {
                    Fail(line, (c->Name().empty() ? c->ClassName() : c->Name()) + ": " + e.what(),
                         std::current_exception());
                }
            }
        } catch (const EFormError&) {
            throw;
        } catch (const std::exception& e) {
            Fail(currentLine_, e.what());
        }
        return guard.release();
    }

private:
    [[noreturn]] void Fail(int line, const std::string& what,
                           std::exception_ptr cause = nullptr) const {
        throw EFormError(file_, line, what, std::move(cause));
    }

    void Begin(TComponent& c, const Node& node) {
        currentLine_ = node.line;
        c.SetLoading(true);
        loaded_.emplace_back(&c, node.line);
        try {
            c.SetName(node.name);
        } catch (const Exception& e) {
            Fail(node.line, e.what());
        }
        c.SetFormFolder(folder_);
    }

    void ReadChildren(TComponent& parent, const Node& node) {
        for (const auto& childNode : node.children) {
            const TClassInfo* cls = FindClass(childNode->className);
            if (cls == nullptr) {
                Fail(childNode->line, IsMissingClass(childNode->className)
                                          ? childNode->className + " is not in this build"
                                          : "unknown class " + childNode->className);
            }
            if (cls->create == nullptr) {
                Fail(childNode->line, childNode->className + " is abstract and cannot be created");
            }
            if (std::string refused = parent.RefusesNested(*cls); !refused.empty()) {
                Fail(childNode->line, refused);
            }
            TComponent* child = cls->create(form_);
            Begin(*child, *childNode);
            parent.AddNested(*child);
            SetProperties(*child, *childNode);
            ReadChildren(*child, *childNode);
        }
    }

    void SetProperties(TComponent& c, const Node& node) {
        for (const form::Property& p : node.properties) {
            currentLine_ = p.line;
            const TPropInfo* info = FindProperty(c.Class(), p.name);
            if (info == nullptr) {
                Fail(p.line, "unknown property " + p.name + " of " + c.ClassName());
            }
            if (info->kind == TPropKind::Component) {
                if (p.value.kind != Value::Ident && p.value.kind != Value::Qualified) {
                    Expected(p, "a component name");
                }
                fixups_.push_back({&c, info, p.value, p.line});
                continue;
            }
            TPropValue value = Convert(*info, p);
            try {
                info->set(c, value);
            } catch (const std::exception& e) {
                Fail(p.line, p.name + ": " + e.what());
            }
        }
    }

    [[noreturn]] void Expected(const form::Property& p, const std::string& what) const {
        Fail(p.line, "property " + p.name + " expects " + what + ", found " + p.value.Describe());
    }

    TPropValue Convert(const TPropInfo& info, const form::Property& p) const {
        const Value& v = p.value;
        switch (info.kind) {
        case TPropKind::Boolean:
            if (v.kind != Value::Boolean) {
                Expected(p, "True or False");
            }
            return v.boolean;
        case TPropKind::Integer:
            if (v.kind != Value::Integer) {
                Expected(p, "a number");
            }
            if (v.integer < INT_MIN || v.integer > INT_MAX) {
                Fail(p.line, "property " + p.name + ": number out of range");
            }
            return v.integer;
        case TPropKind::String:
            if (v.kind != Value::String) {
                Expected(p, "a 'string'");
            }
            return v.text;
        case TPropKind::Strings:
            if (v.kind != Value::List) {
                Expected(p, "a list of strings");
            }
            return v.list;
        case TPropKind::Event:
            if (v.kind != Value::Ident) {
                Expected(p, "the name of an event handler");
            }
            return v.text;
        case TPropKind::Enumeration: {
            if (v.kind == Value::Ident) {
                for (std::size_t i = 0; i < info.enumNames->size(); ++i) {
                    if (SameText((*info.enumNames)[i], v.text)) {
                        return static_cast<std::int64_t>(i);
                    }
                }
            }
            std::string names;
            for (const auto& n : *info.enumNames) {
                names += (names.empty() ? "" : ", ") + n;
            }
            Expected(p, "one of " + names);
        }
        case TPropKind::Component:
            break;
        }
        Fail(p.line, "property " + p.name + " cannot be read");
    }

    void ResolveFixups() {
        for (const Fixup& f : fixups_) {
            currentLine_ = f.line;
            TComponent* target = nullptr;
            std::string shown = f.value.text;
            if (f.value.kind == Value::Qualified) {
                shown += "." + f.value.text2;
                TForm* other = TForm::FindForm(f.value.text);
                if (other != nullptr) {
                    target = other->FindComponent(f.value.text2);
                }
            } else {
                target = SameText(f.value.text, form_->Name()) ? form_
                                                               : form_->FindComponent(f.value.text);
            }
            if (target == nullptr) {
                Fail(f.line, "property " + f.property->name + ": no component named " + shown +
                                 (f.value.kind == Value::Qualified
                                      ? " (is its form loaded before this one?)"
                                      : ""));
            }
            if (!target->Class().InheritsFrom(*f.property->componentClass)) {
                Fail(f.line, "property " + f.property->name + " needs a " +
                                 f.property->componentClass->name + ", but " + shown + " is a " +
                                 target->ClassName());
            }
            try {
                f.property->set(*f.component, target);
            } catch (const std::exception& e) {
                Fail(f.line, f.property->name + ": " + e.what());
            }
        }
    }

    const std::string& file_;
    const std::string& folder_;
    const TFormOptions& options_;
    TForm* form_ = nullptr;
    int currentLine_ = 1;
    std::vector<std::pair<TComponent*, int>> loaded_;
    std::vector<Fixup> fixups_;
};

} // namespace

TForm* ReadFormText(const std::string& text, const std::string& fileName, const std::string& folder,
                    TComponent* owner, const TFormOptions& limits) {
    if (text.size() > limits.maxFileBytes) {
        throw EFormError(fileName, 1,
                         "form file larger than " + std::to_string(limits.maxFileBytes) + " bytes");
    }
    RegisterHostClasses();
    std::unique_ptr<Node> root = form::Parse(text, fileName, limits);
    return Reader(fileName, folder, limits).Read(*root, owner);
}

TForm* ReadForm(const std::string& path, TComponent* owner, const TFormOptions& limits) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw EFormError(path, 0, "cannot read the form file: " + ec.message());
    }
    if (size > limits.maxFileBytes) {
        throw EFormError(path, 1,
                         "form file larger than " + std::to_string(limits.maxFileBytes) + " bytes");
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in && !in.eof()) {
        throw EFormError(path, 0, "cannot read the form file");
    }
    std::string folder = std::filesystem::path(path).parent_path().string();
    return ReadFormText(text.str(), path, folder.empty() ? "." : folder, owner, limits);
}

} // namespace zel::host
