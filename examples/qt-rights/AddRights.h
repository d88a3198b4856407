#pragma once
// Rights on an existing Qt Designer main window, in about ten lines: see AddRights.cpp.

#include <QMainWindow>
#include <memory>
#include <string>
#include <zel/host/core/Form.h>

/// Puts the rights of the user table `users` of the SQLite database `database` on
/// `window`'s menu bar and its zelRight buttons, and runs the log-in dialog. Returns the
/// components (keep them as long as the window), or nullptr when the log-in was cancelled.
std::unique_ptr<zel::host::TForm> AddRights(QMainWindow& window, const std::string& database);
