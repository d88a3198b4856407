#pragma once
// What every command of the tool shares: the forms it read, in load order, the message
// boxes shown while it ran, and the errors that end it.

#include "DesignerWindows.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/core/Errors.h"
#include "zel/host/core/Form.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/ui/Dialogs.h"

#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace zel::cli {

/// Bad usage or unreadable input: exit status 2, a message on standard error, nothing
/// on standard output.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A failure of the operation itself (a database locked by another program): exit 1.
class Failure : public host::Exception {
public:
    using host::Exception::Exception;
};

/// Converts a UTF-8 argument into the system's text, or raises UsageError naming `what`.
std::string Argument(const std::string& utf8, const std::string& what);

/// The form file name that stands for standard input.
inline constexpr const char* kStandardInput = "-";

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Reads one form file ("-": standard input; NAME.ui: a Qt Designer window). A broken
    /// one is a UsageError with its file and line; a database locked while the form opened
    /// it is a Failure.
    host::TForm& Read(const std::string& path, const host::TFormOptions& options = {});
    void ReadAll(const std::vector<std::string>& paths, const host::TFormOptions& options = {});
    const std::vector<std::unique_ptr<host::TForm>>& Forms() const { return forms_; }
    /// The windows of the .ui files read.
    DesignerWindows& UiWindows() { return windows_; }
    /// Whether `form` was read from a .ui file.
    bool FromUiFile(const host::TForm& form) const { return uiForms_.count(&form) > 0; }

    /// The rights provider: the one named (Form.Name or Name), or the only one.
    TZELRight& Provider(const std::optional<std::string>& name) const;
    /// The rights editor, found the same way.
    TZELMenuCheckListBox& Editor(const std::optional<std::string>& name) const;
    /// Whether any form read so far holds a provider (or the named one).
    bool HasProvider(const std::optional<std::string>& name) const;

    /// Texts of the message boxes shown so far, in order.
    const std::vector<std::string>& Messages() const { return messages_; }
    void AddMessage(const std::string& text) { messages_.push_back(text); }

private:
    template <class T> std::vector<T*> FindAll(const std::optional<std::string>& name) const;
    template <class T>
    T& FindOne(const std::optional<std::string>& name, const char* what, const char* option) const;

    DesignerWindows windows_; // declared first: destroyed after the forms that mirror it
    std::vector<std::unique_ptr<host::TForm>> forms_;
    std::set<const host::TForm*> uiForms_;
    std::vector<std::string> messages_;
    host::TMessagePresenter previous_;
};

/// Reads a form file, or standard input for "-", as ReadForm does.
host::TForm* ReadFormFile(const std::string& path, const host::TFormOptions& options);

} // namespace zel::cli
