#pragma once
// Push buttons: TButton, and TBitBtn with a kind (OK, Cancel, ...) that sets its modal
// result.

#include "zel/host/ui/Controls.h"
#include "zel/host/ui/ModalResult.h"

#include <string>
#include <vector>

namespace zel::host {

class TButton : public TControl {
public:
    explicit TButton(TComponent* owner);

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }

private:
    TModalResult modalResult_ = mrNone;
};

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

/// Names of TBitBtnKind values, by ordinal, as form files spell them.
const std::vector<std::string>& BitBtnKindNames();

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    TBitBtnKind Kind() const { return kind_; }
    /// A kind other than custom also sets the modal result that goes with it.
    void SetKind(TBitBtnKind kind);

    /// The bitmap button's rule: the modal result is stored only for a custom kind,
    /// since the other kinds imply it.
    static bool IsCustom(const TComponent& c);

private:
    TBitBtnKind kind_ = bkCustom;
};

} // namespace zel::host
