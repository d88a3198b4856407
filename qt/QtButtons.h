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
#include "zel/host/ui/Buttons.h"
#include "zel/host/ui/Controls.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPushButton>
#include <vector>

namespace zel::qt {

QPushButton* RenderButton(host::TControl& button, QWidget* parent = nullptr);

struct TAdoptedButton {
    QAbstractButton* widget;
    TZELButton* model;
};
std::vector<TAdoptedButton> AdoptRightButtons(QWidget& window, TZELRight& provider);

/// Puts `model` behind a button the application made (a Designer window's), as adopted
/// buttons are: the application's states, which the model can only take away. A click
/// runs the model's Click and, with a ModalResult, closes the dialog the button is on. The
/// model stays its owner's; the link is cut when either goes.
void BindButton(QAbstractButton& widget, host::TButton& model);

/// A bitmap button kind's standard icon and text, as a rendered button shows them.
QIcon KindIcon(host::TBitBtnKind kind);
QString KindText(host::TBitBtnKind kind);

/// The model of a button that AdoptRightButtons adopted, or nullptr.
TZELButton* AdoptedModel(const QAbstractButton& button);

} // namespace zel::qt
