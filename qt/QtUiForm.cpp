#include "zel/qt/QtUiForm.h"

#include "zel/host/forms/FormFile.h"
#include "zel/qt/DesignerLoaded.h"
#include "zel/qt/QtMenuBar.h"
#include "zel/qt/QtText.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMap>
#include <QMenuBar>
#include <QUiLoader>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace zel::qt {

namespace {
// Builds a custom widget the loader does not know as the class the .ui file says it
// extends, so that its buttons and menus are still there.
class FallbackLoader : public TUiLoader {
public:
    explicit FallbackLoader(QMap<QString, QString> extends) : extends_(std::move(extends)) {}

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        QWidget* widget = TUiLoader::createWidget(className, parent, name);
        for (QString base = extends_.value(className); widget == nullptr && !base.isEmpty();
             base = extends_.value(base)) {
            widget = TUiLoader::createWidget(base, parent, name);
        }
        return widget;
    }

private:
    QMap<QString, QString> extends_;
};

// Qt's loader recurses once per level of the file and follows custom widget classes to
// the classes they extend without end: a file nested too deep, or a class that extends
// itself, would crash it. Both are refused first, nesting with the form reader's limit.
constexpr int kMaxUiDepth = 256;

// Where elements first nest deeper than kMaxUiDepth (an offset into `xml`), or -1. Read
// byte by byte, not through Qt's XML reader, which takes half as long again as the load
// itself; what nests nothing (comments, CDATA, processing instructions, declarations) is
// skipped whole, and a quoted attribute value may hold '>'.
qsizetype TooDeepAt(const QByteArray& xml) {
    const char* p = xml.constData();
    const char* const end = p + xml.size();
    auto skipPast = [&](std::string_view close) {
        const char* found = std::search(p, end, close.begin(), close.end());
        p = found == end ? end : found + close.size();
    };
    auto rest = [&] { return std::string_view(p, static_cast<std::size_t>(end - p)); };
    int depth = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '<', static_cast<std::size_t>(end - p)))) !=
           nullptr) {
        const char* tag = p;
        if (rest().starts_with("<!--")) {
            skipPast("-->");
        } else if (rest().starts_with("<![CDATA[")) {
            skipPast("]]>");
        } else if (rest().starts_with("<?")) {
            skipPast("?>");
        } else if (rest().starts_with("<!")) {
            skipPast(">");
        } else if (rest().starts_with("</")) {
            --depth;
            skipPast(">");
        } else {
            char quote = 0;
            for (++p; p < end && (quote != 0 || *p != '>'); ++p) {
                if (quote != 0 ? *p == quote : (*p == '"' || *p == '\'')) {
                    quote = quote != 0 ? 0 : *p;
                }
            }
            const bool empty = p < end && p[-1] == '/';
            if (!empty && ++depth > kMaxUiDepth) {
                return tag - xml.constData();
            }
        }
        if (p >= end) {
            break;
        }
    }
    return -1;
}

// The classes that custom widgets extend, read from the file; raises EFormError for a
// file Qt's loader cannot be trusted with.
QMap<QString, QString> CustomWidgets(const std::string& path, const QByteArray& xml) {
    if (const qsizetype at = TooDeepAt(xml); at >= 0) {
        throw host::EFormError(path, static_cast<int>(xml.left(at).count('\n')) + 1,
                               "nested deeper than " + std::to_string(kMaxUiDepth) + " levels");
    }
    QMap<QString, QString> extends;
    if (!xml.contains("customwidget")) {
        return extends;
    }
    QXmlStreamReader reader(xml);
    QString cls;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) {
            continue;
        }
        if (reader.name() == QLatin1String("customwidget")) {
            cls.clear();
        } else if (reader.name() == QLatin1String("class")) {
            cls = reader.readElementText();
        } else if (reader.name() == QLatin1String("extends") && !cls.isEmpty()) {
            extends.insert(cls, reader.readElementText());
        }
    }
    for (auto it = extends.cbegin(); it != extends.cend(); ++it) {
        QString base = it.value();
        for (int steps = 0; !base.isEmpty(); ++steps, base = extends.value(base)) {
            if (base == it.key() || steps > extends.size()) {
                throw host::EFormError(path, 0,
                                       "the custom widget class " + it.key().toStdString() +
                                           " extends itself, or a class that does");
            }
        }
    }
    return extends;
}
} // namespace

TUiForm LoadUiForm(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw host::EFormError(path, 0,
                               "cannot read the .ui file: " + file.errorString().toStdString());
    }
    const QByteArray xml = file.readAll();
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    FallbackLoader loader(CustomWidgets(path, xml));
    TUiForm ui;
    ui.window.reset(loader.load(&buffer));
    if (ui.window == nullptr) {
        throw host::EFormError(path, 0,
                               "not a Qt Designer form: " + loader.errorString().toStdString());
    }
    const std::string name = ui.window->objectName().toStdString();
    if (!host::TComponent::IsValidIdent(name)) {
        throw host::EFormError(path, 1,
                               "the top-level widget needs an object name that is an "
                               "identifier, to name the form");
    }
    if (host::TForm::FindForm(name) != nullptr) {
        throw host::EFormError(path, 1, "a form named " + name + " is already loaded");
    }
    ui.form = std::make_unique<host::TForm>(nullptr);
    ui.form->SetName(name);
    ui.form->SetCaption(FromQString(ui.window->windowTitle()));
    QMenuBar* bar = nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(ui.window.get())) {
        bar = qobject_cast<QMenuBar*>(main->menuWidget());
    }
    if (bar == nullptr) {
        bar = ui.window->findChild<QMenuBar*>();
    }
    if (bar != nullptr) {
        AdoptMenuBar(*bar, ui.form.get());
    }
    LoadedInto(*ui.window, *ui.form, path,
               QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
    return ui;
}

} // namespace zel::qt
