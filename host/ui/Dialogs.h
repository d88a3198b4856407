#pragma once
// MessageDlg: the modal message box. What "showing" means is up to the installed
// presenter: the default writes the text to standard error; a GUI front end shows a real
// box; tests record the messages.

#include <functional>
#include <initializer_list>
#include <string>

namespace zel::host {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp
};

/// A set of dialog buttons, written like the host's sets: {mbOK}.
class TMsgDlgButtons {
public:
    TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
        for (TMsgDlgBtn b : buttons) {
            bits_ |= 1u << b;
        }
    }
    bool Contains(TMsgDlgBtn button) const { return (bits_ & (1u << button)) != 0; }
    bool operator==(const TMsgDlgButtons&) const = default;

private:
    unsigned bits_ = 0;
};

struct TMessage {
    std::string text;
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    int helpContext;
};

/// Shows a message and returns the modal result of the button that closed it.
using TMessagePresenter = std::function<int(const TMessage&)>;

/// Shows `text` through the installed presenter; returns when the box is closed.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);

/// Installs `presenter` (nullptr: the default) and returns the one it replaces.
TMessagePresenter SetMessagePresenter(TMessagePresenter presenter);

} // namespace zel::host
