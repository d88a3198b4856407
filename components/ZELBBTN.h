#pragma once
// TZELBitBtn: a bitmap button guarded by one named right of a rights provider; it asks
// the provider once, when its form has finished loading (see RightsAwareButton.h).

#include "zel/components/RightsAwareButton.h"
#include "zel/host/ui/Buttons.h"

namespace zel {

class TZELBitBtn : public TRightsAwareButton<host::TBitBtn> {
public:
    explicit TZELBitBtn(host::TComponent* owner);
    ~TZELBitBtn() override;

    static const host::TClassInfo& StaticClass();
    const host::TClassInfo& Class() const override { return StaticClass(); }

    /// Stored with the form; the rights check does not read it (the provider's
    /// HideDisabledItem decides).
    bool HideIfDisabled() const { return hideIfDisabled_; }
    void SetHideIfDisabled(bool value) { hideIfDisabled_ = value; }

private:
    void AutoInitialize();
    void AutoDestroy() {}

    bool hideIfDisabled_ = false;
};

namespace ZELBBTN {
/// Puts TZELBitBtn on the palette page "ZEL".
void Register();
} // namespace ZELBBTN

} // namespace zel
