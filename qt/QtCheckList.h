#pragma once
// A check list box (TCheckListBox, and so the rights editor TZELMenuCheckListBox) on a
// QListWidget of checkable rows, showing each row's text as the model holds it. A user's
// click on a check box, or Space on the current row, goes through the host's user toggle
// (ToggleRow), so the editor's propagation and preview run and OnClickCheck fires; every
// check the model sets shows at once; ItemIndex and the current row follow each other.

#include "zel/host/ui/CheckLst.h"

#include <QListWidget>

namespace zel::qt {

QListWidget* RenderCheckList(host::TCheckListBox& box, QWidget* parent = nullptr);

/// Shows `box` on a list the application made (a Designer window's): its rows are the
/// model's from now on.
void BindCheckList(host::TCheckListBox& box, QListWidget& list);

} // namespace zel::qt
