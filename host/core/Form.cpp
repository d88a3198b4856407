#include "zel/host/core/Form.h"

#include "zel/host/core/detail/Immortal.h"

#include <unordered_set>
#include <vector>

namespace zel::host {

const TClassInfo& TForm::StaticClass() {
    static const TClassInfo info{
        "TForm",
        &TComponent::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TForm(owner); },
        {StringProp<TForm>("Caption", &TForm::Caption, &TForm::SetCaption)}};
    return info;
}

namespace {
std::vector<TForm*>& LiveForms() {
    static Immortal<std::vector<TForm*>> forms;
    return *forms;
}
} // namespace

TForm::TForm(TComponent* owner) : TComponent(owner) {
    LiveForms().push_back(this);
}

TForm::~TForm() {
    std::erase(LiveForms(), this);
}

std::string TForm::RefusesNested(const TClassInfo& cls) const {
    return cls.InheritsFrom(StaticClass()) ? "a form cannot be nested in another" : "";
}

std::vector<const TComponent*> TForm::Nested() const {
    std::unordered_set<const TComponent*> held;
    for (int i = 0; i < ComponentCount(); ++i) {
        for (const TComponent* child : Components(i)->Nested()) {
            held.insert(child);
        }
    }
    std::vector<const TComponent*> top;
    for (int i = 0; i < ComponentCount(); ++i) {
        if (!held.contains(Components(i))) {
            top.push_back(Components(i));
        }
    }
    return top;
}

TForm* TForm::FindForm(const std::string& name) {
    if (name.empty()) {
        return nullptr;
    }
    for (TForm* form : LiveForms()) {
        if (form->Name() == name) {
            return form;
        }
    }
    return nullptr;
}

} // namespace zel::host
