#pragma once
// TZELButton: a push button guarded by one named right of a rights provider; it asks the
// provider once, when its form has finished loading (see RightsAwareButton.h).

#include "zel/components/RightsAwareButton.h"
#include "zel/host/ui/Buttons.h"

namespace zel {

class TZELButton : public TRightsAwareButton<host::TButton> {
public:
    explicit TZELButton(host::TComponent* owner);
    ~TZELButton() override;

    static const host::TClassInfo& StaticClass();
    const host::TClassInfo& Class() const override { return StaticClass(); }

private:
    void AutoInitialize();
    void AutoDestroy() {}
};

namespace ZELBtn {
/// Puts TZELButton on the palette page "ZEL".
void Register();
} // namespace ZELBtn

} // namespace zel
