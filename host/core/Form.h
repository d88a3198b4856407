#pragma once
// TForm: the owner of a form's components, with its caption.

#include "zel/host/core/Component.h"

#include <string>

namespace zel::host {

class TForm : public TComponent {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    /// Any component but a form is read nested in a form; the form writes those of its
    /// components that no other holds nested.
    std::string RefusesNested(const TClassInfo& cls) const override;
    std::vector<const TComponent*> Nested() const override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption) { caption_ = caption; }

    /// The live form of that name (exact spelling), or nullptr. Form files refer to
    /// components of other forms as FormName.ComponentName.
    static TForm* FindForm(const std::string& name);

private:
    std::string caption_;
};

} // namespace zel::host
