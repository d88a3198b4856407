// zel-shop: the example shop as a desktop application, and the reference for using ZEL in
// a Qt program. Start it, log in (each example user's password is its ID), and the menu is
// what that user may do.
//   zel-shop [--data DIR]          in a window
//   zel-shop --tour DIR [--data D] the scripted tour, offscreen, pictures into DIR
#include "ShopData.h"
#include "ShopWindow.h"
#include "Tour.h"
#include "zel/package/Package.h"
#include "zel/qt/QtMessageBox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <iostream>

namespace {
// On the offscreen platform Qt notes what the platform cannot do (raise a window, grab the
// keyboard); those notes are not the tour's output. Real errors still show.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << "zel-shop: Qt: " << message.toStdString() << '\n';
    }
}
} // namespace

int main(int argc, char** argv) {
    bool tour = false;
    for (int i = 1; i < argc; ++i) {
        tour = tour || std::string(argv[i]) == "--tour";
    }
    if (tour && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietOffscreenNotes);
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            qputenv("XDG_RUNTIME_DIR", "/tmp");
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("zel-shop");
    QApplication::setApplicationDisplayName("Corner Shop");
    QCommandLineParser options;
    options.setApplicationDescription("The Corner Shop: ZEL's example application.");
    options.addHelpOption();
    options.addOption({"data", "The folder of the shop's database.", "DIR"});
    options.addOption(
        {"tour", "Run the scripted tour offscreen, writing pictures into DIR.", "DIR"});
    options.process(app);

    zel::package::Initialize();
    const zel::qt::TQtMessageBoxes boxes; // the system's messages as real message boxes
    try {
        const std::string folder = zel::shop::DataFolder(options.value("data").toStdString());
        bool created = false;
        const std::string database = zel::shop::EnsureDatabase(folder, created);
        if (created) {
            std::cout << "Created the example database " << database
                      << " (users admin, clerk, viewer and former; each password is the user ID)"
                      << std::endl;
        }
        zel::shop::ShopWindow shop(folder);
        if (options.isSet("tour")) {
            return zel::shop::RunTour(shop, options.value("tour").toStdString());
        }
        if (!shop.LogIn()) {
            return 0;
        }
        shop.show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        std::cerr << "zel-shop: " << e.what() << '\n';
        return 1;
    }
}
