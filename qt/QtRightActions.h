#pragma once
// Actions guarded by a right. A QAction under a window that carries the dynamic string
// property zelRight (set in Qt Designer on the action) is guarded by that right through its
// gate (QtActionGate.h), wherever it is shown: menus, toolbars, context menus, shortcuts.
// A QToolButton that carries zelRight and shows an action guards that action. Unlike a
// button, which checks its right once when its window is loaded, a guarded action follows
// every log-in and every ActivateSetting of the provider, as menu items do: it is enabled
// when the right is granted and the application wants it, and with the provider's
// HideDisabledItem hidden when the right is not granted. When the provider goes, the
// action stays disabled.

#include "zel/components/ZELRight.h"

#include <QAction>
#include <QWidget>
#include <vector>

namespace zel::qt {

/// Guards every zelRight action under `window` not guarded yet; returns those it guarded.
std::vector<QAction*> GuardRightActions(QWidget& window, TZELRight& provider);

/// The right that guards `action`, or nullptr when none does.
const std::string* GuardingRight(const QAction& action);

} // namespace zel::qt
