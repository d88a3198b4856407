#include "zel/components/ZELBtn.h"

#include "zel/host/packages/Palette.h"

namespace zel {

using namespace host;

const TClassInfo& TZELButton::StaticClass() {
    using C = TZELButton;
    static const TClassInfo info{
        "TZELButton", &TButton::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TZELButton(owner); },
        [] {
            std::vector<TPropInfo> props = ControlEventProps<C>(true);
            props.push_back(ComponentProp<C, TZELRight>("ZELRight", &C::ZELRight, &C::SetZELRight));
            // The button's own caption rule: written when not empty.
            props.push_back(
                StringProp<TControl>("Caption", &TControl::Caption, &TControl::SetCaption));
            props.push_back(IntProp<TButton, TModalResult>("ModalResult", &TButton::ModalResult,
                                                           &TButton::SetModalResult, mrOk));
            props.push_back(StringProp<C>("Right", &C::Right, &C::SetRight));
            return props;
        }()};
    return info;
}

TZELButton::TZELButton(TComponent* owner) : TRightsAwareButton(owner) {
    AutoInitialize();
}

TZELButton::~TZELButton() {
    AutoDestroy();
}

void TZELButton::AutoInitialize() {
    SetCaption("Btn caption");
    SetModalResult(mrOk);
}

namespace ZELBtn {
void Register() {
    RegisterComponents("ZEL", {&TZELButton::StaticClass()});
}
} // namespace ZELBtn

} // namespace zel
