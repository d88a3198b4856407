#pragma once
// The link now lives with the component model; this name stays for the widgets that use it.
#include "zel/host/core/ComponentLink.h"

namespace zel::qt {
using host::TComponentLink;
} // namespace zel::qt
