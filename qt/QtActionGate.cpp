#include "zel/qt/QtActionGate.h"

#include <QActionGroup>
#include <QSignalBlocker>

namespace zel::qt {

namespace {
const char* const kGateName = "zelActionGate";
} // namespace

TActionGate& TActionGate::Of(QAction& action) {
    if (TActionGate* gate = Find(action)) {
        return *gate;
    }
    return *new TActionGate(action);
}

TActionGate* TActionGate::Find(const QAction& action) {
    // By name and RTTI: the gate is a plain QObject subclass, with no meta-object of its own.
    return dynamic_cast<TActionGate*>(
        action.findChild<QObject*>(kGateName, Qt::FindDirectChildrenOnly));
}

TActionGate::TActionGate(QAction& action) : QObject(&action), action_(&action), group_(nullptr) {
    setObjectName(kGateName);
    if (action.actionGroup() == nullptr) {
        group_ = new QActionGroup(this);
        group_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
        group_->addAction(&action); // keeps the application's explicit states
    } else {
        TakeOwnWishes();
    }
    connect(&action, &QAction::changed, this, &TActionGate::Changed);
}

bool TActionGate::AllowsEnabled() const {
    for (const auto& input : allowed_) {
        if (!input[0]) {
            return false;
        }
    }
    return true;
}

bool TActionGate::AllowsVisible() const {
    for (const auto& input : allowed_) {
        if (!input[1]) {
            return false;
        }
    }
    return true;
}

void TActionGate::Allow(Input input, bool enabled, bool visible) {
    allowed_[input][0] = enabled;
    allowed_[input][1] = visible;
    Apply();
}

bool TActionGate::Grouped() const {
    return group_ != nullptr && action_->actionGroup() == group_;
}

void TActionGate::Apply() {
    if (group_ != nullptr && !Grouped()) {
        TakeOwnWishes(); // the application put the action into a group of its own
    }
    applying_ = true;
    if (group_ != nullptr) {
        // Visible first: showing an action hands it back its explicit enabled state.
        group_->setVisible(AllowsVisible());
        group_->setEnabled(AllowsEnabled());
    } else {
        applied_ = {wish_.enabled && AllowsEnabled(), wish_.visible && AllowsVisible()};
        action_->setVisible(applied_.visible);
        action_->setEnabled(applied_.enabled);
    }
    applying_ = false;
}

// From now on the gate sets the action itself: what it shows now is the application's.
void TActionGate::TakeOwnWishes() {
    if (group_ != nullptr) {
        group_->deleteLater(); // not now: we may be inside one of its signals
        group_ = nullptr;
    }
    wish_ = {action_->isEnabled(), action_->isVisible()};
    applied_ = wish_;
}

void TActionGate::Changed() {
    if (applying_) {
        return;
    }
    if (Grouped()) {
        return; // Qt keeps the application's wishes for us
    }
    if (group_ == nullptr) {
        // What differs from what we set is the application's doing. A hidden action always
        // reads disabled, so its enabled wish is learnt only while it is shown.
        if (action_->isVisible() != applied_.visible) {
            wish_.visible = action_->isVisible();
        }
        if (action_->isVisible() && action_->isEnabled() != applied_.enabled) {
            wish_.enabled = action_->isEnabled();
        }
    }
    Apply();
}

TActionWish TActionGate::Wish() const {
    if (!Grouped()) {
        return group_ == nullptr ? wish_ : TActionWish{action_->isEnabled(), action_->isVisible()};
    }
    // Qt holds the wishes; read them by opening our group for a moment, unheard by the
    // application's own slots.
    const QSignalBlocker quiet(action_);
    auto* gate = const_cast<TActionGate*>(this);
    gate->applying_ = true;
    group_->setVisible(true);
    group_->setEnabled(true);
    TActionWish wish{action_->isEnabled(), action_->isVisible()};
    if (!wish.visible) {
        action_->setVisible(true); // a hidden action reads disabled: look at it shown
        wish.enabled = action_->isEnabled();
        action_->setVisible(false);
    }
    group_->setVisible(AllowsVisible());
    group_->setEnabled(AllowsEnabled());
    gate->applying_ = false;
    return wish;
}

} // namespace zel::qt
