#pragma once
// Form files: the text form in which applications describe their forms.
//
//   object MainForm: TForm
//     Caption = 'Shop'
//     object MainMenu1: TMainMenu
//       object mnuFile: TMenuItem
//         Caption = '&File'
//       end
//     end
//   end
//
// Reading creates every component with the form as owner, sets its published properties
// through the class's setters, resolves links (to components of the same form, or
// FormName.ComponentName of a form already loaded) after the whole file is read, and then
// runs Loaded on every component in the order they were read. A broken file raises one
// EFormError naming the file and line; nothing of the half-read form is left.

#include "zel/host/core/Errors.h"
#include "zel/host/core/Form.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace zel::host {

class EFormError : public Exception {
public:
    EFormError(const std::string& file, int line, const std::string& what,
               std::exception_ptr cause = nullptr);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }
    /// The error a component raised while the form was loaded (a table that could not be
    /// opened, say), or nullptr when the file itself is at fault.
    const std::exception_ptr& Cause() const { return cause_; }

private:
    std::string file_;
    int line_;
    std::exception_ptr cause_;
};

struct TFormOptions {
    /// Run Loaded on the components once the form is read. Without it the form stays as
    /// stored (buttons unchecked, tables unopened): what a formatter writes back.
    bool runLoaded = true;
    /// Told each component read, with the line its object starts on, once all links are
    /// resolved and before any Loaded runs: a checker may note where a component stands,
    /// or set a table ReadOnly so that nothing it opens can be changed.
    std::function<void(TComponent&, int line)> beforeLoaded;
    std::size_t maxFileBytes = 64u << 20;
    std::size_t maxStringBytes = 1u << 20;
    int maxDepth = 256;
};

/// Reads the form file at `path`; relative database paths in it are taken relative to its
/// folder. The form is owned by `owner`, or by the caller when `owner` is nullptr.
TForm* ReadForm(const std::string& path, TComponent* owner = nullptr,
                const TFormOptions& limits = {});

/// Reads a form from `text`; `fileName` names it in errors, `folder` resolves relative paths.
TForm* ReadFormText(const std::string& text, const std::string& fileName, const std::string& folder,
                    TComponent* owner = nullptr, const TFormOptions& limits = {});

/// The form file text of `form`: each component's published properties in declaration
/// order, base class first, only those that differ from their defaults.
std::string WriteForm(const TForm& form, const TFormOptions& limits = {});

/// Writes `text` as a form-file string literal ('it''s'#255), split with + past 64 columns.
std::string FormatFormString(const std::string& text, int indent);

} // namespace zel::host
