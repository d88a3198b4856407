#pragma once
// The tool's windows: Qt Designer .ui files read as forms, and the pictures --screenshot
// takes. Qt runs on the offscreen platform, started only when a command needs it, so the
// tool needs no display.

#include "zel/host/core/Form.h"
#include "zel/host/ui/Menus.h"

#include <QMenuBar>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zel::cli {

/// Starts Qt (offscreen) once, for the rest of the run. The application object lives until
/// the QtLifetime of main() ends, before static destruction, which Qt does not survive.
void StartQt();

class QtLifetime {
public:
    QtLifetime() = default;
    ~QtLifetime();
    QtLifetime(const QtLifetime&) = delete;
    QtLifetime& operator=(const QtLifetime&) = delete;
};

class DesignerWindows {
public:
    /// Reads a .ui file; the form is returned, the window kept here.
    std::unique_ptr<host::TForm> Load(const std::string& path);

    /// The windows of the .ui files read, in order.
    const std::vector<std::unique_ptr<QWidget>>& Loaded() const { return windows_; }
    /// The menu bar that shows `menu`, when it came from a .ui file.
    QMenuBar* BarOf(const host::TMainMenu* menu) const;

    /// Writes a PNG of each window (those of .ui files, and `forms` drawn as windows) and
    /// of each of its top-level menus opened, into `dir`; returns the files written.
    std::vector<std::string> Screenshots(const std::vector<host::TForm*>& forms,
                                         const std::string& dir);

private:
    std::vector<std::unique_ptr<QWidget>> windows_;
    std::vector<std::pair<const host::TMainMenu*, QMenuBar*>> bars_;
};

/// Whether `path` names a Qt Designer file.
bool IsUiFile(const std::string& path);

} // namespace zel::cli
