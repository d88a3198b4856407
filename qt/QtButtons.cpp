#include "zel/qt/QtButtons.h"

#include "zel/host/ui/Buttons.h"
#include "zel/qt/QtRightActions.h"
#include "zel/qt/QtText.h"
#include "zel/qt/detail/WidgetWalk.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QStyle>
#include <QToolButton>
#include <memory>

namespace zel::qt {

namespace {

// Keeps a widget showing a control's Enabled, Visible and, when asked, Caption. It belongs
// to the widget; when the control goes first it just stops.
class ControlMirror : public QObject {
public:
    // Call Apply once made: a constructor cannot reach a subclass's Apply.
    ControlMirror(QAbstractButton& widget, host::TControl& control, bool caption)
        : QObject(&widget), widget_(&widget), control_(&control), caption_(caption) {
        setObjectName("zelControlMirror");
        connection_ = control.Subscribe([this](const host::TChange& change) {
            if (change.kind == host::TChangeKind::Destroying) {
                control_ = nullptr;
                connection_.Disconnect();
            } else {
                Apply();
            }
        });
    }

    host::TControl* Control() const { return control_; }

    virtual void Apply() {
        if (control_ == nullptr || widget_ == nullptr) {
            return;
        }
        if (caption_) {
            widget_->setText(ToQString(control_->Caption()));
        }
        widget_->setEnabled(control_->Enabled());
        // Hidden or shown explicitly only where the model says so, so a child of a window
        // not yet shown is not hidden by asking it.
        widget_->setHidden(!control_->Visible());
    }

protected:
    QPointer<QAbstractButton> widget_;
    host::TControl* control_;
    bool caption_;
    host::TConnection connection_;
};

// Runs a click on `control` and closes the dialog `button` is on with its ModalResult.
void ClickThrough(host::TControl* control, QAbstractButton* button) {
    if (control == nullptr) {
        return;
    }
    control->Click();
    auto* b = dynamic_cast<host::TButton*>(control);
    if (b != nullptr && b->ModalResult() != host::mrNone) {
        if (auto* dialog = qobject_cast<QDialog*>(button->window())) {
            dialog->done(b->ModalResult());
        }
    }
}

// An adopted button's model: owned here and destroyed with the widget, or its form's
// (BindButton: the widget deletes it). The button stays the application's: it is enabled
// (shown) when the application wants it and the model allows it, whatever the application
// sets later. The application's wishes are learnt
// from the changes the widget announces; a call that changes nothing on screen (disabling
// a button ZEL disabled) is not seen, which matters only if the model's state changes
// again, and a rights-aware button checks its right once.
class AdoptedMirror : public ControlMirror {
public:
    AdoptedMirror(QAbstractButton& widget, host::TButton& model,
                  std::unique_ptr<host::TButton> owned)
        : ControlMirror(widget, model, false), model_(std::move(owned)),
          wantEnabled_(!widget.testAttribute(Qt::WA_ForceDisabled)),
          wantVisible_(!widget.isHidden()) {
        setObjectName("zelAdoptedButton");
        widget.installEventFilter(this);
    }

    void Apply() override {
        if (control_ == nullptr || widget_ == nullptr) {
            return;
        }
        applying_ = true;
        widget_->setEnabled(wantEnabled_ && control_->Enabled());
        const bool visible = wantVisible_ && control_->Visible();
        if (!visible || widget_->isHidden()) {
            widget_->setHidden(!visible); // shown explicitly only where it was hidden
        }
        applying_ = false;
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != widget_ || applying_) {
            return false;
        }
        if (event->type() == QEvent::EnabledChange) {
            wantEnabled_ = !widget_->testAttribute(Qt::WA_ForceDisabled);
            Apply();
        } else if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
            wantVisible_ = !widget_->isHidden();
            Apply();
        }
        return false;
    }
    ~AdoptedMirror() override {
        connection_.Disconnect(); // before the model it watches goes
        control_ = nullptr;
    }

private:
    std::unique_ptr<host::TButton> model_; // none when the model's form owns it
    bool wantEnabled_;
    bool wantVisible_;
    bool applying_ = false;
};

QStyle::StandardPixmap IconOf(host::TBitBtnKind kind) {
    switch (kind) {
    case host::bkOK:
    case host::bkYes:
    case host::bkAll:
        return QStyle::SP_DialogOkButton;
    case host::bkCancel:
    case host::bkAbort:
        return QStyle::SP_DialogCancelButton;
    case host::bkHelp:
        return QStyle::SP_DialogHelpButton;
    case host::bkNo:
        return QStyle::SP_DialogNoButton;
    case host::bkClose:
        return QStyle::SP_DialogCloseButton;
    case host::bkRetry:
        return QStyle::SP_BrowserReload;
    case host::bkIgnore:
        return QStyle::SP_DialogDiscardButton;
    default:
        return QStyle::SP_CustomBase;
    }
}

const char* TextOf(host::TBitBtnKind kind) {
    static const char* texts[] = {"",       "&OK",    "&Cancel", "&Help",   "&Yes", "&No",
                                  "&Close", "&Abort", "&Retry",  "&Ignore", "&All"};
    return kind >= 0 && kind <= host::bkAll ? texts[kind] : "";
}

} // namespace

QPushButton* RenderButton(host::TControl& control, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setObjectName(ToQString(control.Name()));
    auto* bit = dynamic_cast<host::TBitBtn*>(&control);
    const bool kindText =
        bit != nullptr && control.Caption().empty() && bit->Kind() != host::bkCustom;
    if (bit != nullptr && IconOf(bit->Kind()) != QStyle::SP_CustomBase) {
        button->setIcon(QApplication::style()->standardIcon(IconOf(bit->Kind())));
    }
    if (kindText) {
        button->setText(QString::fromLatin1(TextOf(bit->Kind())));
    }
    auto* mirror = new ControlMirror(*button, control, !kindText);
    mirror->Apply();
    QObject::connect(button, &QPushButton::clicked, mirror,
                     [mirror, button] { ClickThrough(mirror->Control(), button); });
    return button;
}

void BindButton(QAbstractButton& widget, host::TButton& model) {
    auto* mirror = new AdoptedMirror(widget, model, nullptr);
    mirror->Apply();
    QObject::connect(&widget, &QAbstractButton::clicked, mirror,
                     [mirror, &widget] { ClickThrough(mirror->Control(), &widget); });
}

QIcon KindIcon(host::TBitBtnKind kind) {
    const QStyle::StandardPixmap icon = IconOf(kind);
    return icon != QStyle::SP_CustomBase ? QApplication::style()->standardIcon(icon) : QIcon();
}

QString KindText(host::TBitBtnKind kind) {
    return QString::fromLatin1(TextOf(kind));
}

std::vector<TAdoptedButton> AdoptRightButtons(QWidget& window, TZELRight& provider) {
    GuardRightActions(window, provider);
    std::vector<TAdoptedButton> adopted;
    for (QAbstractButton* widget : detail::WidgetsUnder<QAbstractButton>(window)) {
        const QVariant right = widget->property("zelRight");
        if (!right.isValid() || AdoptedModel(*widget) != nullptr) {
            continue;
        }
        if (auto* tool = qobject_cast<QToolButton*>(widget); tool && tool->defaultAction()) {
            continue; // it shows an action, which the right guards
        }
        auto model = std::make_unique<TZELButton>(nullptr);
        const std::string name = widget->objectName().toStdString();
        if (host::TComponent::IsValidIdent(name)) {
            model->SetName(name);
        }
        model->SetCaption(FromQString(widget->text()));
        model->SetVisible(!widget->isHidden());
        model->SetEnabled(widget->isEnabled());
        model->SetRight(FromQString(right.toString()));
        model->SetZELRight(&provider);
        model->Loaded();
        TZELButton* raw = model.get();
        (new AdoptedMirror(*widget, *raw, std::move(model)))->Apply();
        adopted.push_back({widget, raw});
    }
    return adopted;
}

TZELButton* AdoptedModel(const QAbstractButton& button) {
    auto* mirror = dynamic_cast<AdoptedMirror*>(
        button.findChild<QObject*>("zelAdoptedButton", Qt::FindDirectChildrenOnly));
    return mirror != nullptr ? dynamic_cast<TZELButton*>(mirror->Control()) : nullptr;
}

} // namespace zel::qt
