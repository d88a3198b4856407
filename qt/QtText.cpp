#include "zel/qt/QtText.h"

#include "zel/host/core/TextEncoding.h"

#include <QList>

namespace zel::qt {

QString ToQString(const std::string& bytes) {
    return QString::fromStdString(host::ToUtf8(bytes));
}

std::string FromQString(const QString& text) {
    if (auto whole = host::FromUtf8(text.toStdString())) {
        return *whole;
    }
    std::string out;
    for (const uint code : text.toUcs4()) {
        const char32_t cp = code;
        auto one = host::FromUtf8(QString::fromUcs4(&cp, 1).toStdString());
        out += one ? *one : std::string("?");
    }
    return out;
}

} // namespace zel::qt
