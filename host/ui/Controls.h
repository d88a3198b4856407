#pragma once
// TControl: a visual component with a caption, Enabled and Visible, the input events, and
// change notifications for a front end that mirrors it.

#include "zel/host/core/ChangeSignal.h"
#include "zel/host/core/Component.h"
#include "zel/host/core/Events.h"

#include <string>

namespace zel::host {

// Declares an event's getter, setter and storage.
#define ZEL_HOST_EVENT(Type, Name)                                                                 \
public:                                                                                            \
    const TEvent<Type>& Name() const {                                                             \
        return f##Name##_;                                                                         \
    }                                                                                              \
    void Set##Name(TEvent<Type> event) {                                                           \
        f##Name##_ = std::move(event);                                                             \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    TEvent<Type> f##Name##_;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    static const TClassInfo& StaticClass();
    const TClassInfo& Class() const override { return StaticClass(); }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    /// What a mouse click does; fires OnClick. A disabled control ignores clicks.
    virtual void Click();
    virtual void DblClick();
    /// A character typed while the control has the focus; fires OnKeyPress, which may
    /// change or swallow (set to 0) the key.
    virtual void KeyPress(char& key);

    [[nodiscard]] TConnection Subscribe(TChangeHandler handler) {
        return changes_.Subscribe(std::move(handler));
    }

protected:
    void Changed(TChangeKind kind, int index = -1) { changes_.Emit({kind, index}); }

    ZEL_HOST_EVENT(TNotifyEvent, OnClick)
    ZEL_HOST_EVENT(TNotifyEvent, OnDblClick)
    ZEL_HOST_EVENT(TDragDropEvent, OnDragDrop)
    ZEL_HOST_EVENT(TNotifyEvent, OnEnter)
    ZEL_HOST_EVENT(TNotifyEvent, OnExit)
    ZEL_HOST_EVENT(TKeyEvent, OnKeyDown)
    ZEL_HOST_EVENT(TKeyPressEvent, OnKeyPress)
    ZEL_HOST_EVENT(TKeyEvent, OnKeyUp)
    ZEL_HOST_EVENT(TMouseEvent, OnMouseDown)
    ZEL_HOST_EVENT(TMouseMoveEvent, OnMouseMove)
    ZEL_HOST_EVENT(TMouseEvent, OnMouseUp)

private:
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    TChangeSignal changes_;
};

/// The published properties of the input events, in the host's order, for class tables.
/// `withDblClick` adds OnDblClick after OnClick.
template <class C> std::vector<TPropInfo> ControlEventProps(bool withDblClick) {
    std::vector<TPropInfo> props{
        EventProp<C, TNotifyEvent>("OnClick", &C::OnClick, &C::SetOnClick)};
    if (withDblClick) {
        props.push_back(
            EventProp<C, TNotifyEvent>("OnDblClick", &C::OnDblClick, &C::SetOnDblClick));
    }
    props.push_back(EventProp<C, TDragDropEvent>("OnDragDrop", &C::OnDragDrop, &C::SetOnDragDrop));
    props.push_back(EventProp<C, TNotifyEvent>("OnEnter", &C::OnEnter, &C::SetOnEnter));
    props.push_back(EventProp<C, TNotifyEvent>("OnExit", &C::OnExit, &C::SetOnExit));
    props.push_back(EventProp<C, TKeyEvent>("OnKeyDown", &C::OnKeyDown, &C::SetOnKeyDown));
    props.push_back(EventProp<C, TKeyPressEvent>("OnKeyPress", &C::OnKeyPress, &C::SetOnKeyPress));
    props.push_back(EventProp<C, TKeyEvent>("OnKeyUp", &C::OnKeyUp, &C::SetOnKeyUp));
    props.push_back(EventProp<C, TMouseEvent>("OnMouseDown", &C::OnMouseDown, &C::SetOnMouseDown));
    props.push_back(
        EventProp<C, TMouseMoveEvent>("OnMouseMove", &C::OnMouseMove, &C::SetOnMouseMove));
    props.push_back(EventProp<C, TMouseEvent>("OnMouseUp", &C::OnMouseUp, &C::SetOnMouseUp));
    return props;
}

} // namespace zel::host
