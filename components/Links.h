#pragma once
// Following a component's links where an operation needs them: a missing link raises an
// error that names the component, which the callers' catch-all handlers then report.

#include "zel/host/data/DataSource.h"
#include "zel/host/ui/Menus.h"

#include <string>

namespace zel {

/// The dataset behind `source`, linked by `who`; raises EDatabaseError naming `who` when
/// either is missing.
host::TDataSet& RequireDataSet(const host::TDataSource* source, const host::TComponent& who);

/// The root item of `menu`, linked by `who`; raises EMenuError when no menu is linked.
host::TMenuItem& RequireMenuRoot(const host::TMainMenu* menu, const host::TComponent& who);

/// Moves `table` to the first record whose `field` equals `id` byte for byte, as the
/// log-in finds a user (a NULL field matches nothing); false, at the end, when none does.
bool LocateUser(host::TDataSet& table, const std::string& field, const std::string& id);

/// The rights text of a user record's `field`. Text in characters the host's text setting
/// has not (foreign text) grants nothing: its escaped form is no list of rights.
std::string RightsText(const host::TField& field);

/// The text of the exception being handled, for a catch-all handler that keeps why it
/// failed: the message of a std::exception, or a note that it was of another kind.
std::string CaughtErrorText();

/// The system's message box: a confirmation with the OK button only, help context 0.
void ShowMessage(const std::string& text);

} // namespace zel
