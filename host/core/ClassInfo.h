#pragma once
// Run-time class information: each component class names itself, its base class and, for
// classes that forms may create, a factory. The form reader finds classes here by name;
// the published properties of a class are declared alongside (see Properties.h).

#include "zel/host/core/Properties.h"

#include <string>
#include <vector>

namespace zel::host {

class TComponent;

using TComponentFactory = TComponent* (*)(TComponent* owner);

struct TClassInfo {
    std::string name;                  ///< host-style class name, e.g. "TMenuItem"
    const TClassInfo* parent;          ///< base class, nullptr for TComponent
    TComponentFactory create;          ///< nullptr for abstract classes
    std::vector<TPropInfo> properties; ///< own published properties, in declaration order

    /// True when this class is `other` or derives from it.
    bool InheritsFrom(const TClassInfo& other) const;
};

/// Every published property of `info`, base class first, each in declaration order. A
/// property that a class declares again (with another default, say) takes the place of
/// its base's declaration.
std::vector<const TPropInfo*> AllProperties(const TClassInfo& info);

/// The published property of that name (letter case ignored), or nullptr.
const TPropInfo* FindProperty(const TClassInfo& info, const std::string& name);

/// Makes a class known to the form reader. Registering the same class again is harmless;
/// a different class under a taken name is an error.
void RegisterClass(const TClassInfo& info);

/// The registered class of that name (exact spelling), or nullptr.
const TClassInfo* FindClass(const std::string& name);

/// Every registered class, in registration order.
std::vector<const TClassInfo*> RegisteredClasses();

/// Names a class that this build left out (a database's library), so that a form naming
/// it is told so rather than that the class is unknown.
void RegisterMissingClass(const std::string& name);
bool IsMissingClass(const std::string& name);

} // namespace zel::host
