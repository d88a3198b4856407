#pragma once
// A Qt Designer .ui file as a form: the window is built with QUiLoader (a custom widget
// class the loader does not know is built as the class it extends), and becomes a form
// named by the top-level widget's object name, holding the adopted TMainMenu named by the
// menu bar's object name, so that form files read after it link to it as to any form
// (LinkedMainMenu = MainWindow.menubar).

#include "zel/host/core/Form.h"

#include <QWidget>
#include <memory>
#include <string>

namespace zel::qt {

struct TUiForm {
    std::unique_ptr<QWidget> window;   ///< the widgets, as the .ui file describes them
    std::unique_ptr<host::TForm> form; ///< the model over them
};

/// Reads `path`; raises host::EFormError naming the file when it cannot be read.
TUiForm LoadUiForm(const std::string& path);

} // namespace zel::qt
