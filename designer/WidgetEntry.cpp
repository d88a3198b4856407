#include "WidgetEntry.h"

#include "zel/host/packages/Palette.h"
#include "zel/package/Package.h"

#include <QPixmap>

namespace zel::designer {

QPixmap PalettePicture(const QString& paletteName) {
    zel::package::Initialize(); // the bitmaps are the package's resources
    QPixmap picture;
    if (const std::string* bytes = host::FindResource(paletteName.toStdString())) {
        picture.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                             static_cast<uint>(bytes->size()), "BMP");
    }
    return picture;
}

WidgetEntry::WidgetEntry(WidgetDescription description, QObject* parent)
    : QObject(parent), d_(std::move(description)), icon_(PalettePicture(d_.paletteName)) {}

QString WidgetEntry::domXml() const {
    return QStringLiteral("<ui language=\"c++\">\n <widget class=\"%1\" name=\"%2\"/>\n</ui>\n")
        .arg(d_.className, d_.objectName);
}

} // namespace zel::designer
