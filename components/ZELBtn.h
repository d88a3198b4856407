#pragma once
// TZELButton: a push button guarded by one named right of a rights provider. When its
// form has finished loading it asks the provider once (see ButtonRight.h).

#include "components/ZELRight.h"
#include "host/Buttons.h"

#include <string>

namespace zel {

class TZELButton : public host::TButton {
public:
    explicit TZELButton(host::TComponent* owner);
    ~TZELButton() override;

    static const host::TClassInfo& StaticClass();
    const host::TClassInfo& Class() const override { return StaticClass(); }

    TZELRight* ZELRight() const { return zelRight_; }
    /// Links the provider (none unlinks).
    void SetZELRight(TZELRight* value);
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
    std::string right_;
};

namespace ZELBtn {
/// Puts TZELButton on the palette page "ZEL".
void Register();
} // namespace ZELBtn

} // namespace zel
