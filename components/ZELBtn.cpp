#include "components/ZELBtn.h"

#include "components/ButtonRight.h"
#include "host/Palette.h"

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

TZELButton::TZELButton(TComponent* owner) : TButton(owner) {
    AutoInitialize();
}

TZELButton::~TZELButton() {
    AutoDestroy();
}

void TZELButton::AutoInitialize() {
    zelRight_ = nullptr;
    SetCaption("Btn caption");
    SetModalResult(mrOk);
}

void TZELButton::SetZELRight(TZELRight* value) {
    zelRight_ = value;
    if (value != nullptr) {
        FreeNotification(value);
    }
}

void TZELButton::Notification(TComponent* component, TOperation operation) {
    TButton::Notification(component, operation);
    if (operation == opRemove && component == zelRight_) {
        zelRight_ = nullptr;
    }
}

void TZELButton::Loaded() {
    TButton::Loaded();
    ApplyButtonRight(*this, zelRight_, right_);
}

void TZELButton::KeyPress(char& key) {
    TButton::KeyPress(key);
}

namespace ZELBtn {
void Register() {
    RegisterComponents("ZEL", {&TZELButton::StaticClass()});
}
} // namespace ZELBtn

} // namespace zel
