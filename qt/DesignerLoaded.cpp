#include "zel/qt/DesignerLoaded.h"

#include "zel/host/data/DataSource.h"
#include "zel/host/forms/FormFile.h"
#include "zel/qt/DesignerWidgets.h"
#include "zel/qt/QtMenuBar.h"
#include "zel/qt/QtRights.h"
#include "zel/qt/QtText.h"
#include "zel/qt/detail/WidgetWalk.h"

#include <QMenuBar>
#include <memory>
#include <vector>

namespace zel::qt {

namespace {

// The form of a window loaded with Loaded: it belongs to the window.
class FormHolder : public QObject {
public:
    explicit FormHolder(QWidget& window) : QObject(&window) { setObjectName("zelForm"); }
    std::unique_ptr<host::TForm> form = std::make_unique<host::TForm>(nullptr);
};

// Makes the components of one window and links them by the names its widgets give.
class WindowLoader {
public:
    WindowLoader(QWidget& window, host::TForm& form, std::string where, std::string folder)
        : window_(window), form_(form), where_(std::move(where)), folder_(std::move(folder)) {}

    void Run() {
        std::vector<host::TComponent*> made; // Loaded in this order once all are linked
        for (ZELRight* w : detail::WidgetsUnder<ZELRight>(window_)) {
            if (w->provider() == nullptr) {
                made.push_back(MakeProvider(*w));
            }
        }
        for (ZELPushButton* w : detail::WidgetsUnder<ZELPushButton>(window_)) {
            if (w->model() == nullptr) {
                made.push_back(MakeButton(*w));
            }
        }
        for (ZELMenuCheckListBox* w : detail::WidgetsUnder<ZELMenuCheckListBox>(window_)) {
            if (w->editor() == nullptr) {
                made.push_back(MakeEditor(*w));
            }
        }
        for (host::TComponent* c : made) {
            c->Loaded();
        }
    }

private:
    [[noreturn]] void Fail(const QWidget& widget, const std::string& what,
                           std::exception_ptr cause = nullptr) const {
        throw host::EFormError(where_, 0, FromQString(widget.objectName()) + ": " + what, cause);
    }

    // A component's name: the widget's, when it is one and still free in this form.
    void Name(host::TComponent& c, const QWidget& widget) const {
        const std::string name = FromQString(widget.objectName());
        if (host::TComponent::IsValidIdent(name) && form_.FindComponent(name) == nullptr) {
            c.SetName(name);
        }
    }

    // A component named `name` here, or as Window.name in a window loaded before.
    host::TComponent* Find(const std::string& name) const {
        const auto dot = name.find('.');
        if (dot == std::string::npos) {
            return form_.FindComponent(name);
        }
        host::TForm* other = host::TForm::FindForm(name.substr(0, dot));
        return other != nullptr ? other->FindComponent(name.substr(dot + 1)) : nullptr;
    }

    [[noreturn]] void Missing(const QWidget& widget, const char* property,
                              const std::string& name) const {
        Fail(widget,
             std::string("property ") + property + ": no component named " + name +
                 (name.find('.') != std::string::npos ? " (is its window loaded before this one?)"
                                                      : ""));
    }

    TZELRight* Provider(const QWidget& widget, const QString& name) const {
        if (name.isEmpty()) {
            return nullptr;
        }
        const std::string n = FromQString(name);
        host::TComponent* found = Find(n);
        if (found == nullptr) {
            Missing(widget, "provider", n);
        }
        auto* provider = dynamic_cast<TZELRight*>(found);
        if (provider == nullptr) {
            Fail(widget,
                 "property provider needs a TZELRight, but " + n + " is a " + found->ClassName());
        }
        return provider;
    }

    // A menu bar of this window is adopted when first named; one adopted already (the .ui
    // file's main bar) is found by its name, and a name no component can bear is never
    // adopted, so no bar is adopted twice.
    host::TMainMenu* Menu(const QWidget& widget, const QString& name) const {
        if (name.isEmpty()) {
            return nullptr;
        }
        const std::string n = FromQString(name);
        host::TComponent* found = Find(n);
        if (found == nullptr && host::TComponent::IsValidIdent(n)) {
            for (QMenuBar* bar : detail::WidgetsUnder<QMenuBar>(window_)) {
                if (bar->objectName() == name) {
                    found = AdoptMenuBar(*bar, &form_);
                    break;
                }
            }
        }
        if (found == nullptr) {
            Missing(widget, "linkedMainMenu", n);
        }
        auto* menu = dynamic_cast<host::TMainMenu*>(found);
        if (menu == nullptr) {
            Fail(widget, "property linkedMainMenu needs a menu bar, but " + n + " is a " +
                             found->ClassName());
        }
        return menu;
    }

    host::TDataSet* MakeTable(ZELRight& w) const {
        TUserTable users;
        users.sqliteFile = FromQString(w.databaseName());
        users.postgres = FromQString(w.connectionString());
        users.qtConnection = FromQString(w.connectionName());
        users.table = FromQString(w.tableName());
        if (!users.sqliteFile.empty() + !users.postgres.empty() + !users.qtConnection.empty() > 1) {
            Fail(w, "give the user table one of databaseName, connectionString or "
                    "connectionName");
        }
        try {
            host::TDataSet* table = MakeUserTable(users, &form_);
            table->SetFormFolder(folder_); // a relative SQLite file: from the .ui file's folder
            return table;
        } catch (const host::EDatabaseError& e) {
            Fail(w, e.what());
        }
    }

    host::TComponent* MakeProvider(ZELRight& w) const {
        host::TDataSet* table = MakeTable(w);
        auto* source = new host::TDataSource(&form_);
        source->SetDataSet(table);
        auto* provider = new TZELRight(&form_);
        Name(*provider, w);
        w.adopt(*provider);
        provider->SetDataSource(source);
        provider->SetHideDisabledItem(w.hideDisabledItem());
        provider->SetUserIDFieldName(FromQString(w.userIDFieldName()));
        provider->SetUserPasswordFieldName(FromQString(w.userPasswordFieldName()));
        provider->SetUserAccessRightFieldName(FromQString(w.userAccessRightFieldName()));
        provider->SetLinkedMainMenu(Menu(w, w.linkedMainMenu()));
        try {
            table->Open();
        } catch (const std::exception& e) {
            Fail(w, std::string("cannot open the user table: ") + e.what(),
                 std::current_exception());
        }
        return provider;
    }

    host::TComponent* MakeButton(ZELPushButton& w) const {
        TZELRight* provider = Provider(w, w.provider());
        host::TButton* model = nullptr;
        if (auto* bit = qobject_cast<ZELBitBtn*>(&w)) {
            auto* b = new TZELBitBtn(&form_);
            b->SetKind(static_cast<host::TBitBtnKind>(bit->kind()));
            b->SetHideIfDisabled(bit->hideIfDisabled());
            b->SetRight(FromQString(w.right()));
            b->SetZELRight(provider);
            model = b;
        } else {
            auto* b = new TZELButton(&form_);
            b->SetRight(FromQString(w.right()));
            b->SetZELRight(provider);
            model = b;
        }
        Name(*model, w);
        model->SetCaption(FromQString(w.text()));
        model->SetModalResult(w.modalResult());
        w.adopt(*model);
        return model;
    }

    host::TComponent* MakeEditor(ZELMenuCheckListBox& w) const {
        TZELRight* provider = Provider(w, w.provider());
        host::TMainMenu* menu = Menu(w, w.linkedMainMenu());
        auto* editor = new TZELMenuCheckListBox(&form_);
        Name(*editor, w);
        w.adopt(*editor);
        editor->SetHideDisabledItem(w.hideDisabledItem());
        editor->SetUserAccessRightFieldName(FromQString(w.userAccessRightFieldName()));
        if (provider != nullptr && provider->DataSource() != nullptr) {
            editor->SetDataSource(provider->DataSource());
        }
        editor->SetLinkedMainMenu(menu);
        return editor;
    }

    QWidget& window_;
    host::TForm& form_;
    std::string where_;
    std::string folder_;
};

} // namespace

void LoadedInto(QWidget& window, host::TForm& form, const std::string& where,
                const std::string& folder) {
    WindowLoader(window, form, where, folder).Run();
}

void Loaded(QWidget& window) {
    if (window.findChild<FormHolder*>("zelForm", Qt::FindDirectChildrenOnly) != nullptr) {
        return;
    }
    auto* holder = new FormHolder(window);
    // Named by the window, so that later windows can name its components; a second window
    // of the same name (two order windows open) keeps its names to itself.
    const std::string name = FromQString(window.objectName());
    if (host::TComponent::IsValidIdent(name) && host::TForm::FindForm(name) == nullptr) {
        holder->form->SetName(name);
    }
    holder->form->SetCaption(FromQString(window.windowTitle()));
    try {
        LoadedInto(window, *holder->form, name.empty() ? "window" : "window " + name, "");
    } catch (...) {
        delete holder; // what was made goes; the widgets keep their properties
        throw;
    }
}

QWidget* TUiLoader::createWidget(const QString& className, QWidget* parent, const QString& name) {
    QWidget* widget = nullptr;
    if (className == QLatin1String("zel::qt::ZELRight")) {
        widget = new ZELRight(parent);
    } else if (className == QLatin1String("zel::qt::ZELBitBtn")) {
        widget = new ZELBitBtn(parent);
    } else if (className == QLatin1String("zel::qt::ZELButton")) {
        widget = new ZELButton(parent);
    } else if (className == QLatin1String("zel::qt::ZELMenuCheckListBox")) {
        widget = new ZELMenuCheckListBox(parent);
    } else {
        return QUiLoader::createWidget(className, parent, name);
    }
    widget->setObjectName(name);
    return widget;
}

} // namespace zel::qt
