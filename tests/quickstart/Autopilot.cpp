// Drives a Qt program that uses ZEL, the way its user would, with nobody at the screen;
// loaded with LD_PRELOAD into the README's quick start as built from the README. It answers
// message boxes (printing "box: TEXT"), logs in at the log-in dialog as ZEL_AUTOPILOT_LOGIN
// ("user:password"), then, once the main window shows, prints every named action's state,
// opens the administration dialog through its menu item, closes it, prints the states
// again and quits.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {
void Say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QMainWindow* Window() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* main = qobject_cast<QMainWindow*>(w); main != nullptr && main->isVisible()) {
            return main;
        }
    }
    return nullptr;
}

void States(const char* when, QMainWindow& window) {
    for (QAction* a : window.findChildren<QAction*>()) {
        if (!a->objectName().isEmpty() && !a->objectName().startsWith("_q_")) {
            Say(QString("%1: %2 %3")
                    .arg(when, a->objectName(),
                         !a->isVisible()  ? "hidden"
                         : a->isEnabled() ? "enabled"
                                          : "disabled"));
        }
    }
}

int g_step = 0;

void Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Say("box: " + box->text());
        box->buttons().front()->click();
    } else if (modal != nullptr && modal->objectName() == "zelLoginDialog") {
        const QStringList login = QString(std::getenv("ZEL_AUTOPILOT_LOGIN")).split(':');
        modal->findChild<QLineEdit*>("userId")->setText(login.value(0));
        modal->findChild<QLineEdit*>("password")->setText(login.value(1));
        modal->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    } else if (QMainWindow* window = Window(); window != nullptr && modal == nullptr) {
        auto* admin = window->findChild<QDialog*>("zelAdminDialog");
        if (g_step == 0) {
            States("logged in", *window);
            window->findChild<QAction*>("mnuAdminUsers")->trigger();
            g_step = 1;
        } else if (g_step == 1 && admin != nullptr && admin->isVisible()) {
            Say(QString("administration: %1 users")
                    .arg(admin->findChild<QListWidget*>("users")->count()));
            admin->findChild<QListWidget*>("users")->setCurrentRow(1); // previews that user
            admin->close();
            g_step = 2;
        } else if (g_step == 2) {
            States("closed", *window);
            QApplication::quit();
        }
    }
}

void Start() {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, Tick);
    timer->start(50);
}

// Runs Start as soon as the program makes its QApplication.
const bool g_registered = (qAddPreRoutine(Start), true);
} // namespace
