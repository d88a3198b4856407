#include "OrdersWindow.h"

#include "ShopData.h"
#include "ShopWindow.h"
#include "zel/host/forms/FormFile.h"
#include "zel/host/ui/Buttons.h"
#include "zel/qt/QtButtons.h"
#include "zel/qt/QtText.h"

#include <QLabel>
#include <QVBoxLayout>

namespace zel::shop {

OrdersWindow::OrdersWindow(ShopWindow& shop)
    : QDialog(&shop), form_(host::ReadFormText(FormText("orders"), "orders.dfm", shop.Folder())) {
    setObjectName("OrdersWindow");
    setWindowTitle(
        tr("%1 \u2014 %2").arg(qt::ToQString(form_->Caption()), qt::ToQString(shop.User())));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Orders of the day"), this));
    for (int i = 0; i < form_->ComponentCount(); ++i) {
        if (auto* button = dynamic_cast<host::TButton*>(form_->Components(i))) {
            layout->addWidget(qt::RenderButton(*button, this));
        }
    }
    resize(320, 220);
}

OrdersWindow::~OrdersWindow() = default;

} // namespace zel::shop
