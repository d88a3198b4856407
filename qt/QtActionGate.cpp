#include "zel/qt/QtActionGate.h"

#include <QActionGroup>
#include <QSignalBlocker>

namespace zel::qt {

TActionGate& TActionGate::Of(QAction& action, Input input, bool enabled, bool visible) {
    if (TActionGate* gate = Find(action)) {
        gate->Allow(input, enabled, visible);
        return *gate;
    }
    return *new TActionGate(action, input, enabled, visible);
}

TActionGate* TActionGate::Find(const QAction& action) {
    // By RTTI: the gate has no meta-object of its own. Mostly it is the action's group.
    if (auto* gate = dynamic_cast<TActionGate*>(action.actionGroup())) {
        return gate;
    }
    for (QActionGroup* group : action.findChildren<QActionGroup*>(Qt::FindDirectChildrenOnly)) {
        if (auto* gate = dynamic_cast<TActionGate*>(group)) {
            return gate;
        }
    }
    return nullptr;
}

TActionGate::TActionGate(QAction& action, Input input, bool enabled, bool visible)
    : QActionGroup(&action), action_(&action) {
    setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    allowed_[input][0] = enabled;
    allowed_[input][1] = visible;
    if (action.actionGroup() == nullptr) {
        // Switched before the action joins, so that it changes once, as it joins; joining
        // keeps the application's explicit states.
        QActionGroup::setVisible(AllowsVisible());
        QActionGroup::setEnabled(AllowsEnabled());
        addAction(&action);
    } else {
        TakeOwnWishes();
        Apply();
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
    return grouping_ && action_->actionGroup() == this;
}

void TActionGate::Apply() {
    if (grouping_ && !Grouped()) {
        TakeOwnWishes(); // the application put the action into a group of its own
    }
    applying_ = true;
    if (grouping_) {
        // Visible first: showing an action hands it back its explicit enabled state.
        setVisible(AllowsVisible());
        setEnabled(AllowsEnabled());
    } else {
        applied_ = {wish_.enabled && AllowsEnabled(), wish_.visible && AllowsVisible()};
        action_->setVisible(applied_.visible);
        action_->setEnabled(applied_.enabled);
    }
    applying_ = false;
}

// From now on the gate sets the action itself: what it shows now is the application's.
void TActionGate::TakeOwnWishes() {
    grouping_ = false;
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
    if (!grouping_) {
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
        return !grouping_ ? wish_ : TActionWish{action_->isEnabled(), action_->isVisible()};
    }
    // Qt holds the wishes; read them by opening our group for a moment, unheard by the
    // application's own slots.
    const QSignalBlocker quiet(action_);
    auto* gate = const_cast<TActionGate*>(this);
    gate->applying_ = true;
    gate->setVisible(true);
    gate->setEnabled(true);
    TActionWish wish{action_->isEnabled(), action_->isVisible()};
    if (!wish.visible) {
        action_->setVisible(true); // a hidden action reads disabled: look at it shown
        wish.enabled = action_->isEnabled();
        action_->setVisible(false);
    }
    gate->setVisible(AllowsVisible());
    gate->setEnabled(AllowsEnabled());
    gate->applying_ = false;
    return wish;
}

} // namespace zel::qt
