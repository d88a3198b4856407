#include "zel/host/Form.h"

#include "zel/host/Immortal.h"

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
