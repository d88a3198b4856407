// ZEL's Designer widgets: the plugin as Designer loads it, and windows made with the widgets,
// built by QUiLoader and compiled by uic alike, before and after a log-in.
#include "support/TestSupport.h"
#include "ui_zel_main.h"
#include "ui_zel_orders.h"
#include "zel/host/forms/FormFile.h"
#include "zel/qt/DesignerLoaded.h"
#include "zel/qt/DesignerWidgets.h"

#include <QDialog>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QXmlStreamReader>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <gtest/gtest.h>
#include <memory>

using namespace zel;
using namespace zel::test;

namespace {

TEST(DesignerPlugin, OffersTheFourComponentsInTheGroupZEL) {
    QPluginLoader plugin(ZEL_DESIGNER_PLUGIN);
    auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(plugin.instance());
    ASSERT_NE(collection, nullptr) << plugin.errorString().toStdString();
    QStringList names;
    for (QDesignerCustomWidgetInterface* w : collection->customWidgets()) {
        names << w->name();
        EXPECT_EQ(w->group(), "ZEL");
        EXPECT_FALSE(w->toolTip().isEmpty());
        EXPECT_EQ(w->includeFile(), "zel/qt/DesignerWidgets.h");
        EXPECT_EQ(w->icon().availableSizes(), QList<QSize>{QSize(24, 24)})
            << w->name().toStdString();
        QXmlStreamReader xml(w->domXml());
        while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::StartElement &&
                                 xml.name() == QLatin1String("widget"))) {
        }
        EXPECT_FALSE(xml.hasError());
        EXPECT_EQ(xml.attributes().value("class").toString(), w->name());

        // Every property of ours is set and read back as Designer's property editor does.
        std::unique_ptr<QWidget> widget(w->createWidget(nullptr));
        ASSERT_EQ(widget->metaObject()->className(), w->name());
        const QMetaObject* meta = widget->metaObject();
        while (QString(meta->superClass()->className()).startsWith("zel::qt::")) {
            meta = meta->superClass();
        }
        int ours = 0;
        for (int i = meta->propertyOffset(); i < widget->metaObject()->propertyCount(); ++i) {
            const QMetaProperty p = widget->metaObject()->property(i);
            QVariant value;
            if (p.isEnumType()) {
                value = p.enumerator().value(p.enumerator().keyCount() - 1);
            } else if (p.typeId() == QMetaType::Bool) {
                value = !p.read(widget.get()).toBool();
            } else {
                value = QString("x") + p.name();
            }
            EXPECT_TRUE(p.hasNotifySignal()) << p.name();
            ASSERT_TRUE(p.write(widget.get(), value)) << p.name();
            const QVariant back = p.read(widget.get());
            EXPECT_EQ(p.isEnumType() ? QVariant(back.toInt()) : back, value) << p.name();
            ++ours;
        }
        EXPECT_GE(ours, 3) << w->name().toStdString();
    }
    EXPECT_EQ(names, (QStringList{"zel::qt::ZELRight", "zel::qt::ZELBitBtn", "zel::qt::ZELButton",
                                  "zel::qt::ZELMenuCheckListBox"}));
}

// What a user sees of the two windows: actions, buttons, then the editor's rows once it
// has read the logged-in user's record.
std::vector<std::string> Look(const QWidget& main, const QWidget& orders) {
    std::vector<std::string> seen;
    auto state = [](bool enabled, bool visible) {
        return std::string(enabled ? " on" : " off") + (visible ? "" : " hidden");
    };
    for (const char* name : {"mnuFileOpen", "mnuOrderNew", "mnuRefund"}) {
        const auto* a = main.findChild<QAction*>(name);
        seen.push_back(name + state(a->isEnabled(), a->isVisible()));
    }
    for (const auto* b : orders.findChildren<zel::qt::ZELPushButton*>()) {
        seen.push_back(b->objectName().toStdString() + " " + b->text().toStdString() +
                       state(b->isEnabled(), !b->isHidden()));
    }
    auto* editor = main.findChild<zel::qt::ZELMenuCheckListBox*>("editor");
    EXPECT_TRUE(editor->editor()->LoadSetting());
    for (int i = 0; i < editor->count(); ++i) {
        seen.push_back(editor->item(i)->text().toStdString() +
                       (editor->item(i)->checkState() == Qt::Checked ? " [x]" : ""));
    }
    return seen;
}

void LogIn(TZELRight& provider, const std::string& user) {
    provider.SetUserID(user);
    provider.SetUserPassword("pw");
    ASSERT_TRUE(provider.LoadSetting()) << user;
}

struct DesignerWindows : ::testing::Test {
    TempDir dir;
    std::string db = dir.File("users.db");
    void SetUp() override {
        MakeUserTable(
            db, "users", "login", "password", "rights",
            {{"ann", "pw", Rights({"mnuFile", "mnuFileOpen", "mnuOrders", "mnuOrderNew"})},
             {"bob", "pw", Rights({"mnuOrders", "mnuRefund"})}});
    }

    std::unique_ptr<QWidget> Build(const char* file) {
        zel::qt::TUiLoader loader;
        QFile ui(QString(ZEL_TEST_DATA "/") + file);
        EXPECT_TRUE(ui.open(QIODevice::ReadOnly));
        return std::unique_ptr<QWidget>(loader.load(&ui));
    }

    std::vector<std::string> ByLoader(const std::string& user) {
        std::unique_ptr<QWidget> main = Build("zel_main.ui");
        auto* rights = main->findChild<zel::qt::ZELRight*>("rights");
        rights->setDatabaseName(QString::fromStdString(db));
        zel::qt::Loaded(*main);
        LogIn(*rights->provider(), user);
        std::unique_ptr<QWidget> orders = Build("zel_orders.ui");
        zel::qt::Loaded(*orders); // after the log-in: its buttons ask the new rights
        const auto* bit = orders->findChild<zel::qt::ZELBitBtn*>("newOrder");
        EXPECT_EQ(bit->kind(), zel::qt::ZELBitBtn::bkOK); // enums as Designer writes them
        EXPECT_EQ(bit->modalResult(), zel::qt::ZELPushButton::mrOk);
        auto seen = Look(*main, *orders);
        orders.reset(); // later windows go first, as an application closes them
        return seen;
    }

    std::vector<std::string> ByUic(const std::string& user) {
        QMainWindow main;
        Ui::ZelMain ui;
        ui.setupUi(&main);
        ui.rights->setDatabaseName(QString::fromStdString(db));
        zel::qt::Loaded(main);
        LogIn(*ui.rights->provider(), user);
        QDialog orders;
        Ui::ZelOrders uo;
        uo.setupUi(&orders);
        zel::qt::Loaded(orders);
        auto seen = Look(main, orders);
        main.show();
        EXPECT_FALSE(ui.rights->isVisible()); // the provider is never seen at run time
        if (uo.newOrder->isEnabled()) {
            uo.newOrder->click(); // its modal result closes the dialog
            EXPECT_EQ(orders.result(), QDialog::Accepted);
        }
        return seen;
    }
};

TEST_F(DesignerWindows, LoadedOrCompiledTheyShowEachUsersRights) {
    const std::vector<std::string> ann = ByLoader("ann");
    EXPECT_EQ(ann, (std::vector<std::string>{
                       "mnuFileOpen on", "mnuOrderNew on", "mnuRefund off hidden",
                       "newOrder &New order on", "refund Btn caption off hidden", "File [x]",
                       "  Open [x]", "Orders [x]", "  New order [x]", "  Refund"}));
    EXPECT_EQ(ByUic("ann"), ann);
    const std::vector<std::string> bob = ByLoader("bob");
    EXPECT_NE(bob, ann);
    EXPECT_EQ(ByUic("bob"), bob);
}

TEST_F(DesignerWindows, ANameThatResolvesToNothingIsReportedWithItsWidget) {
    std::unique_ptr<QWidget> orders = Build("zel_orders.ui"); // its provider's window is not loaded
    try {
        zel::qt::Loaded(*orders);
        FAIL() << "loaded";
    } catch (const host::EFormError& e) {
        EXPECT_NE(std::string(e.what()).find(
                      "newOrder: property provider: no component named ZelMain.rights"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(orders->findChild<zel::qt::ZELPushButton*>("newOrder")->model(), nullptr);
    std::unique_ptr<QWidget> main = Build("zel_main.ui");
    main->findChild<zel::qt::ZELRight*>("rights")->setDatabaseName(QString::fromStdString(db));
    zel::qt::Loaded(*main);
    zel::qt::Loaded(*orders); // once its provider is there, it loads
    EXPECT_NE(orders->findChild<zel::qt::ZELPushButton*>("newOrder")->model(), nullptr);
}

TEST_F(DesignerWindows, WidgetsAndWindowsGoInAnyOrder) {
    for (int order = 0; order < 3; ++order) {
        auto main = std::make_unique<QMainWindow>();
        Ui::ZelMain ui;
        ui.setupUi(main.get());
        ui.rights->setDatabaseName(QString::fromStdString(db));
        zel::qt::Loaded(*main);
        auto orders = std::make_unique<QDialog>();
        Ui::ZelOrders uo;
        uo.setupUi(orders.get());
        zel::qt::Loaded(*orders);
        if (order == 0) {
            delete ui.rights; // the provider first: the buttons and the editor lose it
            EXPECT_EQ(dynamic_cast<TZELBitBtn*>(uo.newOrder->model())->ZELRight(), nullptr);
            uo.newOrder->click();
            ui.editor->editor()->ToggleRow(0);
        } else if (order == 1) {
            main.reset(); // the provider's window first
            uo.refund->click();
        } else {
            delete uo.newOrder; // a button first: its component goes with it
            EXPECT_EQ(host::TForm::FindForm("ZelOrders")->FindComponent("newOrder"), nullptr);
        }
        orders.reset();
        main.reset();
    }
}

} // namespace
