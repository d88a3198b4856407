#pragma once
// Menus on real widgets, both ways, kept live by the model's change notifications:
//
//   RenderMenuBar: a QMenuBar of QMenus and QActions built from a TMainMenu. Captions keep
//   their & accelerators ("&&" is a literal ampersand), "-" items are separators, sub-items
//   are sub-menus, Enabled and Visible are the actions' states.
//
//   AdoptMenuBar: a TMainMenu built from an existing QMenuBar (from setupUi or code), its
//   items named by the objects' objectName and captioned by the action's text or the menu's
//   title, in the order of each menu's actions(); separators become "-" items. An object
//   with no usable name gets one that starts with "generated_" and follows from its place
//   in the menu, so it is the same for the same .ui file. An action shown in several menus
//   is one item, at its first place; its other places get none and show the same action.
//   The actions stay the application's: each item is a gate over its action
//   (QtActionGate.h), so the action is enabled (shown) when the application wants it and
//   the item's Enabled (Visible) allows it. The items start with nothing granted
//   (disabled, visible) until a log-in imposes rights.
//
// From then on every change of the model shows at once. An item freed takes its action out
// of every menu: a rendered action is deleted, an adopted one only disabled and hidden for
// good, since the application's own code (the Ui class of setupUi) may still point at it.
// Triggering an action runs the item's Click. The mirror belongs to the menu bar; either
// side may be destroyed first.

#include "zel/host/ui/Menus.h"

#include <QMenuBar>
#include <string>

namespace zel::qt {

/// A new menu bar (owned by `parent`, or the caller) showing `menu`.
QMenuBar* RenderMenuBar(host::TMainMenu& menu, QWidget* parent = nullptr);

/// A new TMainMenu owned by `owner`, named by the bar's objectName, mirroring `bar`.
host::TMainMenu* AdoptMenuBar(QMenuBar& bar, host::TComponent* owner);

/// The action that shows `item` in `bar`'s mirror, or nullptr (for tests and tools that
/// read back what a user sees). A look-up, not a search.
QAction* ActionOf(const QMenuBar& bar, const host::TMenuItem& item);

} // namespace zel::qt
