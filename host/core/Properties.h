#pragma once
// Published properties: what a class declares once so that forms can be read and written.
// Each class lists its own properties, in declaration order, in its TClassInfo; a property
// knows how to read and set its value on a component and whether the writer stores it
// (by default: when it differs from its declared default).

#include "zel/host/core/Errors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace zel::host {

class TComponent;
struct TClassInfo;

enum class TPropKind { Integer, Boolean, String, Enumeration, Component, Event, Strings };

/// A property value as the streaming sees it. Integer and Enumeration use the int64 (an
/// enumeration by ordinal); String and Event (the handler's name) the string; Strings the
/// vector; Component the pointer (nullptr: none).
using TPropValue =
    std::variant<std::int64_t, bool, std::string, std::vector<std::string>, TComponent*>;

struct TPropInfo {
    std::string name;
    TPropKind kind = TPropKind::Integer;
    const TClassInfo* componentClass = nullptr;          ///< Component: the class a link must have
    const std::vector<std::string>* enumNames = nullptr; ///< Enumeration: name of each ordinal
    std::function<TPropValue(const TComponent&)> get;
    std::function<void(TComponent&, const TPropValue&)> set;
    std::function<bool(const TComponent&)> stored; ///< whether the writer writes it
};

// Builders used in the classes' property tables. `C` is the declaring class; the getters
// and setters are its own, so that setting a property runs the class's setter.

template <class C>
TPropInfo BoolProp(std::string name, bool (C::*get)() const, void (C::*set)(bool), bool def) {
    TPropInfo p;
    p.name = std::move(name);
    p.kind = TPropKind::Boolean;
    p.get = [get](const TComponent& c) { return TPropValue((static_cast<const C&>(c).*get)()); };
    p.set = [set](TComponent& c, const TPropValue& v) {
        (static_cast<C&>(c).*set)(std::get<bool>(v));
    };
    p.stored = [get, def](const TComponent& c) { return (static_cast<const C&>(c).*get)() != def; };
    return p;
}

template <class C, class I>
TPropInfo IntProp(std::string name, I (C::*get)() const, void (C::*set)(I), I def) {
    TPropInfo p;
    p.name = std::move(name);
    p.kind = TPropKind::Integer;
    p.get = [get](const TComponent& c) {
        return TPropValue(static_cast<std::int64_t>((static_cast<const C&>(c).*get)()));
    };
    p.set = [set](TComponent& c, const TPropValue& v) {
        (static_cast<C&>(c).*set)(static_cast<I>(std::get<std::int64_t>(v)));
    };
    p.stored = [get, def](const TComponent& c) { return (static_cast<const C&>(c).*get)() != def; };
    return p;
}

template <class C>
TPropInfo StringProp(std::string name, const std::string& (C::*get)() const,
                     void (C::*set)(const std::string&)) {
    TPropInfo p;
    p.name = std::move(name);
    p.kind = TPropKind::String;
    p.get = [get](const TComponent& c) { return TPropValue((static_cast<const C&>(c).*get)()); };
    p.set = [set](TComponent& c, const TPropValue& v) {
        (static_cast<C&>(c).*set)(std::get<std::string>(v));
    };
    p.stored = [get](const TComponent& c) { return !(static_cast<const C&>(c).*get)().empty(); };
    return p;
}

template <class C, class E>
TPropInfo EnumProp(std::string name, E (C::*get)() const, void (C::*set)(E),
                   const std::vector<std::string>& names, E def) {
    TPropInfo p = IntProp<C, E>(std::move(name), get, set, def);
    p.kind = TPropKind::Enumeration;
    p.enumNames = &names;
    return p;
}

template <class C, class T>
TPropInfo ComponentProp(std::string name, T* (C::*get)() const, void (C::*set)(T*)) {
    TPropInfo p;
    p.name = std::move(name);
    p.kind = TPropKind::Component;
    p.componentClass = &T::StaticClass();
    p.get = [get](const TComponent& c) {
        return TPropValue(static_cast<TComponent*>((static_cast<const C&>(c).*get)()));
    };
    p.set = [set](TComponent& c, const TPropValue& v) {
        TComponent* target = std::get<TComponent*>(v);
        T* typed = dynamic_cast<T*>(target);
        if (target != nullptr && typed == nullptr) {
            throw EComponentError("a " + T::StaticClass().name + " is required");
        }
        (static_cast<C&>(c).*set)(typed);
    };
    p.stored = [get](const TComponent& c) { return (static_cast<const C&>(c).*get)() != nullptr; };
    return p;
}

/// Replaces the writer's default rule of a property by the class's own.
inline TPropInfo StoredWhen(TPropInfo p, std::function<bool(const TComponent&)> stored) {
    p.stored = std::move(stored);
    return p;
}

} // namespace zel::host
