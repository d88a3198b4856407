#pragma once
// The check a rights-aware button makes when its form has finished loading: granted, it
// shows and enables itself; not granted, it disables itself and hides when the provider
// hides what is not granted. A button with no provider is disabled, visibility as stored:
// a button guarded by a right never works unguarded.

#include "components/ZELRight.h"
#include "host/Controls.h"

#include <string>

namespace zel {

void ApplyButtonRight(host::TControl& button, const TZELRight* provider, const std::string& right);

} // namespace zel
