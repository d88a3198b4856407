#include "zel/host/ui/Buttons.h"

#include "zel/host/core/Errors.h"

namespace zel::host {

namespace {
std::vector<TPropInfo> ButtonProps() {
    std::vector<TPropInfo> props{
        StringProp<TControl>("Caption", &TControl::Caption, &TControl::SetCaption),
        IntProp<TButton, TModalResult>("ModalResult", &TButton::ModalResult,
                                       &TButton::SetModalResult, mrNone),
    };
    for (auto& p : ControlEventProps<TButton>(false)) {
        props.push_back(std::move(p));
    }
    return props;
}

constexpr TModalResult kKindResults[] = {mrNone, mrOk,    mrCancel, mrNone,   mrYes, mrNo,
                                         mrNone, mrAbort, mrRetry,  mrIgnore, mrAll};
} // namespace

const TClassInfo& TButton::StaticClass() {
    static const TClassInfo info{
        "TButton", &TControl::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TButton(owner); }, ButtonProps()};
    return info;
}

TButton::TButton(TComponent* owner) : TControl(owner) {}

const std::vector<std::string>& BitBtnKindNames() {
    static const std::vector<std::string> names{"bkCustom", "bkOK",     "bkCancel", "bkHelp",
                                                "bkYes",    "bkNo",     "bkClose",  "bkAbort",
                                                "bkRetry",  "bkIgnore", "bkAll"};
    return names;
}

bool TBitBtn::IsCustom(const TComponent& c) {
    return static_cast<const TBitBtn&>(c).Kind() == bkCustom;
}

const TClassInfo& TBitBtn::StaticClass() {
    static const TClassInfo info{
        "TBitBtn",
        &TButton::StaticClass(),
        [](TComponent* owner) -> TComponent* { return new TBitBtn(owner); },
        {
            EnumProp<TBitBtn, TBitBtnKind>("Kind", &TBitBtn::Kind, &TBitBtn::SetKind,
                                           BitBtnKindNames(), bkCustom),
            StoredWhen(IntProp<TButton, TModalResult>("ModalResult", &TButton::ModalResult,
                                                      &TButton::SetModalResult, mrNone),
                       [](const TComponent& c) {
                           return IsCustom(c) &&
                                  static_cast<const TButton&>(c).ModalResult() != mrNone;
                       }),
        }};
    return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::SetKind(TBitBtnKind kind) {
    if (kind < bkCustom || kind > bkAll) {
        throw EComponentError("Invalid button kind " + std::to_string(static_cast<int>(kind)));
    }
    kind_ = kind;
    if (kind != bkCustom) {
        SetModalResult(kKindResults[kind]);
    }
}

} // namespace zel::host
