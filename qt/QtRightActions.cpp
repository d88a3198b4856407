#include "zel/qt/QtRightActions.h"

#include "zel/qt/ComponentLink.h"
#include "zel/qt/QtActionGate.h"
#include "zel/qt/QtText.h"
#include "zel/qt/detail/WidgetWalk.h"

#include <QToolButton>
#include <functional>

namespace zel::qt {

namespace {

const char* const kGuardName = "zelRightGuard";

// The provider link that tells when the provider goes.
class ProviderLink : public TComponentLink<TZELRight> {
public:
    ProviderLink(TZELRight& provider, std::function<void()> gone)
        : TComponentLink<TZELRight>(&provider), gone_(std::move(gone)) {}

protected:
    void Notification(host::TComponent* component, host::TOperation operation) override {
        const bool provider = component == Get();
        TComponentLink<TZELRight>::Notification(component, operation);
        if (operation == host::opRemove && provider) {
            gone_();
        }
    }

private:
    std::function<void()> gone_;
};

// Belongs to the action: asks the provider after every ActivateSetting and sets the
// action's gate.
class RightGuard : public QObject {
public:
    RightGuard(QAction& action, TZELRight& provider, std::string right)
        : QObject(&action), gate_(&TActionGate::Of(action, TActionGate::Right, false, true)),
          right_(std::move(right)), provider_(provider, [this] { Recheck(); }) {
        setObjectName(kGuardName);
        connection_ = provider.Subscribe([this](const host::TChange& change) {
            if (change.kind == host::TChangeKind::Imposed) {
                Recheck();
            }
        });
        Recheck();
    }

    const std::string& Right() const { return right_; }

private:
    void Recheck() {
        const TZELRight* provider = provider_.Get();
        const bool granted = provider != nullptr && provider->HasRight(right_);
        const bool hide = provider != nullptr && provider->HideDisabledItem();
        gate_->Allow(TActionGate::Right, granted, granted || !hide);
    }

    TActionGate* gate_; // a sibling under the same action: both go with it
    std::string right_;
    ProviderLink provider_;
    host::TConnection connection_;
};

RightGuard* GuardOf(const QAction& action) {
    return dynamic_cast<RightGuard*>(
        action.findChild<QObject*>(kGuardName, Qt::FindDirectChildrenOnly));
}

bool Guard(QAction* action, const QVariant& right, TZELRight& provider) {
    if (action == nullptr || !right.isValid() || GuardOf(*action) != nullptr) {
        return false;
    }
    new RightGuard(*action, provider, FromQString(right.toString()));
    return true;
}

} // namespace

std::vector<QAction*> GuardRightActions(QWidget& window, TZELRight& provider) {
    std::vector<QAction*> guarded;
    for (QAction* action : window.findChildren<QAction*>()) {
        if (Guard(action, action->property("zelRight"), provider)) {
            guarded.push_back(action);
        }
    }
    for (QToolButton* button : detail::WidgetsUnder<QToolButton>(window)) {
        if (Guard(button->defaultAction(), button->property("zelRight"), provider)) {
            guarded.push_back(button->defaultAction());
        }
    }
    return guarded;
}

const std::string* GuardingRight(const QAction& action) {
    const RightGuard* guard = GuardOf(action);
    return guard != nullptr ? &guard->Right() : nullptr;
}

} // namespace zel::qt
