#pragma once
// What a window made with ZEL's Designer widgets needs once its widgets exist (after
// setupUi, or once QUiLoader built it): the components behind the widgets, as reading a
// form file makes them. One call:
//
//   Ui::MainWindow ui;  ui.setupUi(this);  zel::qt::Loaded(*this);
//
// makes the window a form named by its object name, so that later windows can name its
// components as Window.name; gives each ZELRight its user table (opened), data source and
// provider; adopts the menu bars that a provider or editor names; links every provider and
// menu by name; then runs each component's Loaded: a button asks its provider then, so a
// window loaded before the log-in has its ZEL buttons disabled and one loaded after shows
// the user's rights, and the editor builds its rows. The form belongs to the window and
// goes with it. Calling it again for the same window does nothing.
//
// A name that resolves to nothing, a table that cannot be opened or a window without a
// usable object name raise host::EFormError naming the window and the widget; what was
// made by then goes with the window.

#include "zel/host/core/Form.h"

#include <QUiLoader>
#include <QWidget>
#include <string>

namespace zel::qt {

void Loaded(QWidget& window);

/// The same for a window read from a .ui file: `form` is the window's form already made,
/// `where` names the file in errors, and a relative databaseName is taken from `folder`.
void LoadedInto(QWidget& window, host::TForm& form, const std::string& where,
                const std::string& folder);

/// A QUiLoader that builds ZEL's Designer widgets itself, without a plugin path.
class TUiLoader : public QUiLoader {
public:
    using QUiLoader::QUiLoader;
    QWidget* createWidget(const QString& className, QWidget* parent = nullptr,
                          const QString& name = QString()) override;
};

} // namespace zel::qt
