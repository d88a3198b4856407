#include "DesignerWindows.h"

#include "SafeFile.h"
#include "Session.h"
#include "zel/host/ui/Controls.h"
#include "zel/qt/QtFormWindow.h"
#include "zel/qt/QtUiForm.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace zel::cli {

namespace {
std::unique_ptr<QApplication> g_app;

// Qt's notes (a custom class built as its base, a platform without some feature) are not
// the tool's output; real errors still reach standard error.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "zel: Qt: %s\n", message.toLocal8Bit().constData());
    }
}
} // namespace

void StartQt() {
    if (g_app != nullptr) {
        return;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen"); // the tool never shows a window to anyone
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toLocal8Bit());
    }
    qInstallMessageHandler(QuietQt);
    static int argc = 1;
    static char name[] = "zel";
    static char* argv[] = {name, nullptr};
    g_app = std::make_unique<QApplication>(argc, argv);
}

QtLifetime::~QtLifetime() {
    g_app.reset();
}

bool IsUiFile(const std::string& path) {
    return path.size() > 3 && path.compare(path.size() - 3, 3, ".ui") == 0;
}

std::unique_ptr<host::TForm> DesignerWindows::Load(const std::string& path) {
    StartQt();
    qt::TUiForm ui = qt::LoadUiForm(path);
    for (int i = 0; i < ui.form->ComponentCount(); ++i) {
        if (auto* menu = dynamic_cast<host::TMainMenu*>(ui.form->Components(i))) {
            auto* main = qobject_cast<QMainWindow*>(ui.window.get());
            QMenuBar* bar = main != nullptr ? qobject_cast<QMenuBar*>(main->menuWidget())
                                            : ui.window->findChild<QMenuBar*>();
            bars_.emplace_back(menu, bar);
        }
    }
    windows_.push_back(std::move(ui.window));
    return std::move(ui.form);
}

QMenuBar* DesignerWindows::BarOf(const host::TMainMenu* menu) const {
    for (const auto& [m, bar] : bars_) {
        if (m == menu) {
            return bar;
        }
    }
    return nullptr;
}

namespace {
void Save(QWidget& widget, const std::filesystem::path& file) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!widget.grab().save(&buffer, "PNG")) {
        throw Failure("cannot draw " + file.string());
    }
    WriteNewFile(file, png.toStdString(), 0644, true);
}

// A file name from an object name, kept inside its folder: letters, digits, '_' and '-'
// only (anything else, a '/' or '.' included, becomes '_'), or `fallback` for none.
std::string SafeFileName(const std::string& name, const std::string& fallback) {
    std::string safe;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == '-';
        safe += plain ? c : '_';
    }
    return safe.empty() ? fallback : safe;
}

void Shoot(QWidget& window, const std::string& objectName, const std::filesystem::path& dir,
           std::vector<std::string>& written) {
    const std::string name = SafeFileName(objectName, "window");
    window.resize(window.sizeHint().expandedTo(QSize(480, 320)));
    window.show();
    QApplication::processEvents();
    const auto file = dir / (name + ".png");
    Save(window, file);
    written.push_back(file.string());
    auto* main = qobject_cast<QMainWindow*>(&window);
    QMenuBar* bar = main != nullptr ? qobject_cast<QMenuBar*>(main->menuWidget()) : nullptr;
    if (bar == nullptr) {
        return;
    }
    int index = 0;
    for (QAction* action : bar->actions()) {
        QMenu* menu = action->menu();
        ++index;
        const QList<QAction*> items = menu != nullptr ? menu->actions() : QList<QAction*>{};
        if (!action->isVisible() || std::none_of(items.begin(), items.end(), [](QAction* a) {
                return a->isVisible() && !a->isSeparator();
            })) {
            continue; // nothing to see: an empty menu does not even open
        }
        menu->popup(window.mapToGlobal(bar->actionGeometry(action).bottomLeft()));
        QApplication::processEvents();
        const std::string menuName =
            SafeFileName(menu->objectName().toStdString(), std::to_string(index));
        const auto menuFile = dir / (name + "-" + menuName + ".png");
        Save(*menu, menuFile);
        written.push_back(menuFile.string());
        menu->hide();
    }
}
} // namespace

std::vector<std::string> DesignerWindows::Screenshots(const std::vector<host::TForm*>& forms,
                                                      const std::string& dir) {
    StartQt();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        throw UsageError("cannot create " + dir + ": " + ec.message());
    }
    std::vector<std::string> written;
    for (const auto& window : windows_) {
        Shoot(*window, window->objectName().toStdString(), dir, written);
    }
    for (host::TForm* form : forms) {
        bool shows = false; // a form of tables and links alone has nothing to draw
        for (int i = 0; i < form->ComponentCount() && !shows; ++i) {
            shows = dynamic_cast<host::TMainMenu*>(form->Components(i)) != nullptr ||
                    dynamic_cast<host::TControl*>(form->Components(i)) != nullptr;
        }
        if (!shows) {
            continue;
        }
        std::unique_ptr<QMainWindow> window{qt::RenderForm(*form)};
        Shoot(*window, form->Name(), dir, written);
    }
    return written;
}

} // namespace zel::cli
