#pragma once
// A whole form read from a form file, as a window: its main menu as the window's menu bar,
// its buttons and check list boxes laid out top to bottom in the order they were read, its
// caption as the title. The window only shows the form; the form stays its owner's, and
// either may be destroyed first.

#include "zel/host/core/Form.h"

#include <QMainWindow>

namespace zel::qt {

QMainWindow* RenderForm(host::TForm& form, QWidget* parent = nullptr);

} // namespace zel::qt
