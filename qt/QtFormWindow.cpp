#include "zel/qt/QtFormWindow.h"

#include "zel/host/ui/Buttons.h"
#include "zel/host/ui/CheckLst.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtCheckList.h"
#include "zel/qt/QtMenuBar.h"
#include "zel/qt/QtText.h"

#include <QVBoxLayout>

namespace zel::qt {

QMainWindow* RenderForm(host::TForm& form, QWidget* parent) {
    auto* window = new QMainWindow(parent);
    window->setObjectName(ToQString(form.Name()));
    window->setWindowTitle(ToQString(form.Caption().empty() ? form.Name() : form.Caption()));
    auto* central = new QWidget(window);
    auto* layout = new QVBoxLayout(central);
    for (int i = 0; i < form.ComponentCount(); ++i) {
        host::TComponent* c = form.Components(i);
        if (auto* menu = dynamic_cast<host::TMainMenu*>(c);
            menu != nullptr && !window->menuWidget()) {
            window->setMenuBar(RenderMenuBar(*menu, window));
        } else if (auto* box = dynamic_cast<host::TCheckListBox*>(c)) {
            layout->addWidget(RenderCheckList(*box, central));
        } else if (auto* button = dynamic_cast<host::TButton*>(c)) {
            layout->addWidget(RenderButton(*button, central));
        }
    }
    layout->addStretch();
    window->setCentralWidget(central);
    return window;
}

} // namespace zel::qt
