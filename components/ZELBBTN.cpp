#include "zel/components/ZELBBTN.h"

#include "zel/host/packages/Palette.h"

namespace zel {

using namespace host;

const TClassInfo& TZELBitBtn::StaticClass() {
    using C = TZELBitBtn;
    static const TClassInfo info{
        "TZELBitBtn", &TBitBtn::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TZELBitBtn(owner); },
        [] {
            std::vector<TPropInfo> props = ControlEventProps<C>(true);
            props.push_back(ComponentProp<C, TZELRight>("ZELRight", &C::ZELRight, &C::SetZELRight));
            props.push_back(
                BoolProp<C>("HideIfDisabled", &C::HideIfDisabled, &C::SetHideIfDisabled, false));
            props.push_back(EnumProp<TBitBtn, TBitBtnKind>(
                "Kind", &TBitBtn::Kind, &TBitBtn::SetKind, BitBtnKindNames(), bkOK));
            props.push_back(
                StoredWhen(IntProp<TButton, TModalResult>("ModalResult", &TButton::ModalResult,
                                                          &TButton::SetModalResult, mrOk),
                           [](const TComponent& c) {
                               return TBitBtn::IsCustom(c) &&
                                      static_cast<const TButton&>(c).ModalResult() != mrOk;
                           }));
            props.push_back(StringProp<C>("Right", &C::Right, &C::SetRight));
            return props;
        }()};
    return info;
}

TZELBitBtn::TZELBitBtn(TComponent* owner) : TRightsAwareButton(owner) {
    AutoInitialize();
}

TZELBitBtn::~TZELBitBtn() {
    AutoDestroy();
}

void TZELBitBtn::AutoInitialize() {
    hideIfDisabled_ = false;
    SetKind(bkOK);
    SetModalResult(mrOk);
}

namespace ZELBBTN {
void Register() {
    RegisterComponents("ZEL", {&TZELBitBtn::StaticClass()});
}
} // namespace ZELBBTN

} // namespace zel
