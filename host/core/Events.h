#pragma once
// Events: assignable handlers of controls (OnClick, OnKeyPress, ...). A handler has a name
// so that form files can refer to it: an application registers its handlers by name
// before it reads a form, and the form's `OnClick = SaveClick` picks one up.

#include "zel/host/core/Properties.h"

#include <cstdint>
#include <functional>
#include <string>
#include <variant>

namespace zel::host {

class TComponent;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

/// Shift and mouse-button keys held during an input event.
struct TShiftState {
    bool shift = false, alt = false, ctrl = false, left = false, right = false, middle = false;
    bool operator==(const TShiftState&) const = default;
};

using TNotifyEvent = std::function<void(TComponent* sender)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;
using TKeyEvent = std::function<void(TComponent* sender, std::uint16_t& key, TShiftState shift)>;
using TMouseEvent =
    std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;
using TDragDropEvent = std::function<void(TComponent* sender, TComponent* source, int x, int y)>;

/// An assigned handler and the name it is registered under (empty for one set in code).
template <class Fn> struct TEvent {
    std::string name;
    Fn handler;
    explicit operator bool() const { return static_cast<bool>(handler); }
};

using TAnyHandler = std::variant<TNotifyEvent, TKeyPressEvent, TKeyEvent, TMouseEvent,
                                 TMouseMoveEvent, TDragDropEvent>;

/// Registers `handler` under `name` (replacing one of the same name).
void RegisterHandler(const std::string& name, TAnyHandler handler);
void UnregisterHandler(const std::string& name);
/// The handler registered under `name`, or nullptr.
const TAnyHandler* FindHandler(const std::string& name);

/// A published event property: its value in a form is the handler's name, which must be
/// registered with the right signature when the form is read.
template <class C, class Fn>
TPropInfo EventProp(std::string name, const TEvent<Fn>& (C::*get)() const,
                    void (C::*set)(TEvent<Fn>)) {
    TPropInfo p;
    p.name = name;
    p.kind = TPropKind::Event;
    p.get = [get](const TComponent& c) {
        return TPropValue((static_cast<const C&>(c).*get)().name);
    };
    p.set = [set, name](TComponent& c, const TPropValue& v) {
        const std::string& handlerName = std::get<std::string>(v);
        const TAnyHandler* any = FindHandler(handlerName);
        if (any == nullptr) {
            throw EComponentError("No event handler named " + handlerName + " is registered");
        }
        const Fn* fn = std::get_if<Fn>(any);
        if (fn == nullptr) {
            throw EComponentError("Event handler " + handlerName + " does not fit event " + name);
        }
        (static_cast<C&>(c).*set)(TEvent<Fn>{handlerName, *fn});
    };
    p.stored = [get](const TComponent& c) {
        return !(static_cast<const C&>(c).*get)().name.empty();
    };
    return p;
}

} // namespace zel::host
