#pragma once
// One component as the widget box offers it: its class, icon, tooltip and the XML Designer
// puts on a form when it is dragged there.

#include <QIcon>
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>
#include <functional>

namespace zel::designer {

struct WidgetDescription {
    QString className;  ///< as the .ui file names it: zel::qt::ZELRight, ...
    QString objectName; ///< a new one's object name
    QString toolTip;
    QString paletteName; ///< the component's palette bitmap resource
    std::function<QWidget*(QWidget*)> create;
};

class WidgetEntry : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    WidgetEntry(WidgetDescription description, QObject* parent);

    QString name() const override { return d_.className; }
    QString group() const override { return QStringLiteral("ZEL"); }
    QString toolTip() const override { return d_.toolTip; }
    QString whatsThis() const override { return d_.toolTip; }
    QString includeFile() const override { return QStringLiteral("zel/qt/DesignerWidgets.h"); }
    QIcon icon() const override { return icon_; }
    bool isContainer() const override { return false; }
    QWidget* createWidget(QWidget* parent) override { return d_.create(parent); }
    bool isInitialized() const override { return initialized_; }
    void initialize(QDesignerFormEditorInterface*) override { initialized_ = true; }
    QString domXml() const override;

private:
    WidgetDescription d_;
    QIcon icon_;
    bool initialized_ = false;
};

/// A component's palette bitmap, as Designer shows it; null when the package has none.
QPixmap PalettePicture(const QString& paletteName);

} // namespace zel::designer
