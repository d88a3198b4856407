// RightsWindow.ui as an application: run it where the user table is (shop.db of
// `zel example shop`). With a user and a password it logs them in and prints what they may
// use; without, it shows the window and the log-in dialog.
#include "ui_RightsWindow.h"
#include "zel/qt/DesignerLoaded.h"
#include "zel/qt/QtLoginDialog.h"

#include <QApplication>
#include <QMainWindow>
#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::RightsWindow ui;
    ui.setupUi(&window);
    try {
        zel::qt::Loaded(window); // the provider, its table and the editor, from the .ui file
    } catch (const zel::host::Exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    zel::TZELRight& rights = *ui.rights->provider();
    if (argc == 3) {
        rights.SetUserID(argv[1]);
        rights.SetUserPassword(argv[2]);
        if (!rights.LoadSetting()) {
            std::cerr << "log-in refused\n";
            return 1;
        }
        for (QAction* action : {ui.mnuFileOpen, ui.mnuOrderNew, ui.mnuRefund}) {
            std::cout << action->objectName().toStdString()
                      << (action->isEnabled() ? " enabled\n" : " disabled\n");
        }
        return 0;
    }
    window.show();
    zel::qt::TQtLoginDialog login(rights); // no parent: it lives on the stack
    if (login.exec() != QDialog::Accepted) {
        return 0;
    }
    return QApplication::exec();
}
