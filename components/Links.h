#pragma once
// Following a component's links where an operation needs them: a missing link raises an
// error that names the component, which the callers' catch-all handlers then report.

#include "host/DataSource.h"
#include "host/Menus.h"

#include <string>

namespace zel {

/// The dataset behind `source`; raises EDatabaseError when either is missing.
host::TDataSet& RequireDataSet(const host::TDataSource* source, const std::string& who);

/// The root item of `menu`; raises EMenuError when no menu is linked.
host::TMenuItem& RequireMenuRoot(const host::TMainMenu* menu, const std::string& who);

/// The system's message box: a confirmation with the OK button only, help context 0.
void ShowMessage(const std::string& text);

} // namespace zel
