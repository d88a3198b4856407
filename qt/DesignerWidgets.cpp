#include "zel/qt/DesignerWidgets.h"

#include "zel/qt/QtButtons.h"
#include "zel/qt/QtCheckList.h"
#include "zel/qt/QtText.h"

#include <QPainter>

namespace zel::qt {

namespace {
// Sets `field` and announces it, when it changes.
template <class T, class Owner> void Assign(T& field, const T& value, Owner* owner) {
    if (field != value) {
        field = value;
        emit owner->propertiesChanged();
    }
}

// A component made for a widget goes with it: its owner form only names it.
template <class T> void FreeModel(host::TComponentLink<T>& model) {
    if (T* m = model.Get()) {
        model.Set(nullptr);
        delete m;
    }
}
} // namespace

// --- ZELRight ---------------------------------------------------------------------------

ZELRight::ZELRight(QWidget* parent) : QWidget(parent) {
    setFixedSize(28, 28);
    hide(); // never shown at run time; Designer shows it
}

ZELRight::~ZELRight() {
    FreeModel(model_);
}

void ZELRight::setLinkedMainMenu(const QString& name) {
    Assign(linkedMainMenu_, name, this);
}

void ZELRight::setHideDisabledItem(bool value) {
    Assign(hideDisabledItem_, value, this);
    if (model_.Get() != nullptr) {
        model_->SetHideDisabledItem(value);
    }
}

void ZELRight::setUserIDFieldName(const QString& name) {
    Assign(userIDFieldName_, name, this);
    if (model_.Get() != nullptr) {
        model_->SetUserIDFieldName(FromQString(name));
    }
}

void ZELRight::setUserPasswordFieldName(const QString& name) {
    Assign(userPasswordFieldName_, name, this);
    if (model_.Get() != nullptr) {
        model_->SetUserPasswordFieldName(FromQString(name));
    }
}

void ZELRight::setUserAccessRightFieldName(const QString& name) {
    Assign(userAccessRightFieldName_, name, this);
    if (model_.Get() != nullptr) {
        model_->SetUserAccessRightFieldName(FromQString(name));
    }
}

void ZELRight::setDatabaseName(const QString& name) {
    Assign(databaseName_, name, this);
}

void ZELRight::setConnectionString(const QString& conninfo) {
    Assign(connectionString_, conninfo, this);
}

void ZELRight::setConnectionName(const QString& name) {
    Assign(connectionName_, name, this);
}

void ZELRight::setTableName(const QString& name) {
    Assign(tableName_, name, this);
}

void ZELRight::adopt(TZELRight& model) {
    FreeModel(model_);
    model_.Set(&model);
}

void ZELRight::setDesignPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void ZELRight::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!picture_.isNull()) {
        painter.drawPixmap((width() - picture_.width()) / 2, (height() - picture_.height()) / 2,
                           picture_);
    }
}

// --- the buttons ------------------------------------------------------------------------

ZELPushButton::ZELPushButton(QWidget* parent) : QPushButton(parent) {}

ZELPushButton::~ZELPushButton() {
    FreeModel(model_);
}

void ZELPushButton::Changed() {
    emit propertiesChanged();
}

void ZELPushButton::setRight(const QString& right) {
    Assign(right_, right, this);
}

void ZELPushButton::setProvider(const QString& name) {
    Assign(provider_, name, this);
}

void ZELPushButton::setModalResult(ModalResult result) {
    if (result < mrNone || result > mrAll) {
        return;
    }
    Assign(modalResult_, result, this);
    if (model_.Get() != nullptr) {
        model_->SetModalResult(result);
    }
}

void ZELPushButton::adopt(host::TButton& model) {
    FreeModel(model_);
    model_.Set(&model);
    BindButton(*this, model);
}

ZELBitBtn::ZELBitBtn(QWidget* parent) : ZELPushButton(parent) {}

void ZELBitBtn::setHideIfDisabled(bool value) {
    if (hideIfDisabled_ != value) {
        hideIfDisabled_ = value;
        Changed();
    }
}

void ZELBitBtn::setKind(Kind kind) {
    if (kind_ == kind || kind < bkCustom || kind > bkAll) {
        return;
    }
    const QString oldText = KindText(static_cast<host::TBitBtnKind>(kind_));
    kind_ = kind;
    const auto k = static_cast<host::TBitBtnKind>(kind);
    setIcon(KindIcon(k));
    if (text().isEmpty() || text() == oldText) { // the kind's text, not the user's own
        setText(KindText(k));
    }
    Changed();
}

ZELButton::ZELButton(QWidget* parent) : ZELPushButton(parent) {
    setText(QStringLiteral("Btn caption"));
}

// --- the editor -------------------------------------------------------------------------

ZELMenuCheckListBox::ZELMenuCheckListBox(QWidget* parent) : QListWidget(parent) {}

ZELMenuCheckListBox::~ZELMenuCheckListBox() {
    FreeModel(model_);
}

void ZELMenuCheckListBox::setProvider(const QString& name) {
    Assign(provider_, name, this);
}

void ZELMenuCheckListBox::setLinkedMainMenu(const QString& name) {
    Assign(linkedMainMenu_, name, this);
}

void ZELMenuCheckListBox::setHideDisabledItem(bool value) {
    Assign(hideDisabledItem_, value, this);
    if (model_.Get() != nullptr) {
        model_->SetHideDisabledItem(value);
    }
}

void ZELMenuCheckListBox::setUserAccessRightFieldName(const QString& name) {
    Assign(userAccessRightFieldName_, name, this);
    if (model_.Get() != nullptr) {
        model_->SetUserAccessRightFieldName(FromQString(name));
    }
}

void ZELMenuCheckListBox::adopt(TZELMenuCheckListBox& model) {
    FreeModel(model_);
    model_.Set(&model);
    BindCheckList(model, *this);
}

} // namespace zel::qt
