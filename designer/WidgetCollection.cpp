#include "WidgetCollection.h"

#include "WidgetEntry.h"
#include "zel/qt/DesignerWidgets.h"

namespace zel::designer {

WidgetCollection::WidgetCollection(QObject* parent) : QObject(parent) {
    const WidgetDescription widgets[] = {
        {"zel::qt::ZELRight", "zelRight",
         "Rights provider: logs the user in against the user table and enables, disables or "
         "hides the items of the linked menu bar by the user's rights. Not shown at run time.",
         "TZELRIGHT",
         [](QWidget* parent) {
             auto* w = new qt::ZELRight(parent);
             w->setDesignPicture(PalettePicture("TZELRIGHT"));
             w->show(); // hidden at run time, seen here
             return w;
         }},
        {"zel::qt::ZELBitBtn", "zelBitBtn",
         "Rights-aware bitmap button: enabled (or hidden) by the right it names when its "
         "window is loaded.",
         "TZELBITBTN", [](QWidget* parent) { return new qt::ZELBitBtn(parent); }},
        {"zel::qt::ZELButton", "zelButton",
         "Rights-aware button: enabled by the right it names when its window is loaded.",
         "TZELBUTTON", [](QWidget* parent) { return new qt::ZELButton(parent); }},
        {"zel::qt::ZELMenuCheckListBox", "zelMenuCheckListBox",
         "Rights editor: the linked menu as a tree of check boxes, for granting and revoking "
         "the rights of the provider's current user.",
         "TZELMENUCHECKLISTBOX",
         [](QWidget* parent) { return new qt::ZELMenuCheckListBox(parent); }},
    };
    for (const WidgetDescription& d : widgets) {
        widgets_.append(new WidgetEntry(d, this));
    }
}

QList<QDesignerCustomWidgetInterface*> WidgetCollection::customWidgets() const {
    return widgets_;
}

} // namespace zel::designer
