#include "host/Form.h"

namespace zel::host {

const TClassInfo& TForm::StaticClass() {
    static const TClassInfo info{
        "TForm", &TComponent::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TForm(owner); },
        {StringProp<TForm>("Caption", &TForm::Caption, &TForm::SetCaption)}};
    return info;
}

TForm::TForm(TComponent* owner) : TComponent(owner) {}

} // namespace zel::host
