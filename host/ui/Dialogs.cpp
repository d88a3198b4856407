#include "zel/host/ui/Dialogs.h"

#include "zel/host/core/detail/Immortal.h"
#include "zel/host/ui/ModalResult.h"

#include <iostream>

namespace zel::host {

namespace {
int WriteToStandardError(const TMessage& message) {
    std::cerr << message.text << '\n';
    return mrOk;
}

TMessagePresenter& CurrentPresenter() {
    static Immortal<TMessagePresenter> presenter(WriteToStandardError);
    return *presenter;
}
} // namespace

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
    return CurrentPresenter()(TMessage{text, type, buttons, helpContext});
}

TMessagePresenter SetMessagePresenter(TMessagePresenter presenter) {
    TMessagePresenter previous = std::move(CurrentPresenter());
    CurrentPresenter() = presenter ? std::move(presenter) : TMessagePresenter(WriteToStandardError);
    return previous;
}

} // namespace zel::host
