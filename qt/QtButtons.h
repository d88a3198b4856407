#pragma once
// Buttons on real widgets.
//
//   RenderButton: a QPushButton showing a TButton, TBitBtn, TZELBitBtn or TZELButton: its
//   caption (a bitmap button's Kind gives a standard icon, and the text when the caption is
//   empty), Enabled and Visible, kept live. A click runs the control's Click; a ModalResult
//   other than none then closes the dialog the button is on with that result.
//
//   AdoptRightButtons: every QAbstractButton under `window` that carries the dynamic
//   property zelRight (set in Qt Designer as a dynamic string property) gets a TZELButton
//   with that Right, linked to `provider`. Adopting it is its Loaded: it asks HasRight
//   once, exactly as a button of a form read after the log-in does, and the widget then
//   shows the result. The TZELButton belongs to the widget and goes with it. It first
//   guards the window's zelRight actions (GuardRightActions, QtRightActions.h); a
//   QToolButton that shows an action guards that action instead of itself.

#include "zel/components/ZELBtn.h"
#include "zel/components/ZELRight.h"
#include "zel/host/ui/Controls.h"

#include <QAbstractButton>
#include <QPushButton>
#include <vector>

namespace zel::qt {

QPushButton* RenderButton(host::TControl& button, QWidget* parent = nullptr);

struct TAdoptedButton {
    QAbstractButton* widget;
    TZELButton* model;
};
std::vector<TAdoptedButton> AdoptRightButtons(QWidget& window, TZELRight& provider);

/// The model of a button that AdoptRightButtons adopted, or nullptr.
TZELButton* AdoptedModel(const QAbstractButton& button);

} // namespace zel::qt
