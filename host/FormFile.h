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

#include "host/Errors.h"
#include "host/Form.h"

#include <cstddef>
#include <memory>
#include <string>

namespace zel::host {

class EFormError : public Exception {
public:
    EFormError(const std::string& file, int line, const std::string& what);
    const std::string& File() const { return file_; }
    int Line() const { return line_; }

private:
    std::string file_;
    int line_;
};

struct TFormOptions {
    /// Run Loaded on the components once the form is read. Without it the form stays as
    /// stored (buttons unchecked, tables unopened): what a formatter writes back.
    bool runLoaded = true;
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
