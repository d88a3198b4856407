// Qt Designer files of any content through the .ui adoption: a file loads or is refused
// with the form error; a loaded menu, ruled by a provider, shows each item's state on its
// action; adopted buttons follow their rights; and window and form may go in either order.
#include "FuzzSupport.h"
#include "QtFuzzStart.h"
#include "zel/components/ZELRight.h"
#include "zel/host/forms/FormFile.h"
#include "zel/qt/QtActionGate.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtMenuBar.h"
#include "zel/qt/QtUiForm.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <fstream>

using namespace zel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const std::string path = dir.filePath("fuzz.ui").toStdString();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    qt::TUiForm ui;
    try {
        ui = qt::LoadUiForm(path);
    } catch (const host::EFormError&) {
        return 0;
    }
    host::TMainMenu* menu = nullptr;
    for (int i = 0; i < ui.form->ComponentCount() && menu == nullptr; ++i) {
        menu = dynamic_cast<host::TMainMenu*>(ui.form->Components(i));
    }
    auto* provider = new TZELRight(ui.form.get());
    if (menu != nullptr) {
        std::vector<const host::TMenuItem*> items;
        fuzz::CollectItems(menu->Items(), items);
        // Every other item granted, by its adopted name.
        for (std::size_t i = 0; i < items.size(); i += 2) {
            provider->GetAuthorisedMenuItems()->Add(items[i]->Name());
        }
        provider->SetLinkedMainMenu(menu);
        provider->ActivateSetting();
        items.clear();
        fuzz::CollectItems(menu->Items(), items); // special items are gone now
        auto* main = qobject_cast<QMainWindow*>(ui.window.get());
        QMenuBar* bar = main != nullptr ? qobject_cast<QMenuBar*>(main->menuWidget())
                                        : ui.window->findChild<QMenuBar*>();
        fuzz::Check(bar != nullptr, "an adopted menu without its menu bar");
        for (const host::TMenuItem* item : items) {
            const QAction* action = qt::ActionOf(*bar, *item);
            fuzz::Check(action != nullptr, "item " + item->Name() + " has no action");
            const qt::TActionGate* gate = qt::TActionGate::Find(*action);
            fuzz::Check(gate != nullptr, "item " + item->Name() + " has no gate");
            const qt::TActionWish wish = gate->Wish();
            const bool visible = wish.visible && item->Visible();
            fuzz::Check(action->isVisible() == visible &&
                            action->isEnabled() == (wish.enabled && item->Enabled() && visible),
                        "the action of " + item->Name() + " shows another state");
        }
    }
    for (const qt::TAdoptedButton& b : qt::AdoptRightButtons(*ui.window, *provider)) {
        const QWidget* parent = b.widget->parentWidget();
        const bool wanted = !b.widget->testAttribute(Qt::WA_ForceDisabled) &&
                            (parent == nullptr || parent->isEnabled());
        fuzz::Check(b.widget->isEnabled() == (wanted && provider->HasRight(b.model->Right())),
                    "an adopted button against its right");
    }
    if (size % 2 == 0) {
        ui.window.reset(); // the widgets first: the model must let go of them
    }
    ui.form.reset();
    return 0;
}
