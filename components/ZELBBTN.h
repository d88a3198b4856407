#pragma once
// TZELBitBtn: a bitmap button guarded by one named right of a rights provider. When its
// form has finished loading it asks the provider once (see ButtonRight.h).

#include "components/ZELRight.h"
#include "host/Buttons.h"

#include <string>

namespace zel {

class TZELBitBtn : public host::TBitBtn {
public:
    explicit TZELBitBtn(host::TComponent* owner);
    ~TZELBitBtn() override;

    static const host::TClassInfo& StaticClass();
    const host::TClassInfo& Class() const override { return StaticClass(); }

    TZELRight* ZELRight() const { return zelRight_; }
    /// Links the provider (none unlinks).
    void SetZELRight(TZELRight* value);
    /// Stored with the form; the rights check does not read it (the provider's
    /// HideDisabledItem decides).
    bool HideIfDisabled() const { return hideIfDisabled_; }
    void SetHideIfDisabled(bool value) { hideIfDisabled_ = value; }
    const std::string& Right() const { return right_; }
    void SetRight(const std::string& value) { right_ = value; }

    void Loaded() override;
    void KeyPress(char& key) override;

protected:
    void Notification(host::TComponent* component, host::TOperation operation) override;

private:
    void AutoInitialize();
    void AutoDestroy() {}

    TZELRight* zelRight_ = nullptr;
    bool hideIfDisabled_ = false;
    std::string right_;
};

namespace ZELBBTN {
/// Puts TZELBitBtn on the palette page "ZEL".
void Register();
} // namespace ZELBBTN

} // namespace zel
