#include "OrdersWindow.h"

#include "ShopWindow.h"
#include "ui_OrdersWindow.h"
#include "zel/qt/DesignerLoaded.h"
#include "zel/qt/QtText.h"

namespace zel::shop {

OrdersWindow::OrdersWindow(ShopWindow& shop)
    : QDialog(&shop), ui_(std::make_unique<Ui::OrdersWindow>()) {
    ui_->setupUi(this);
    qt::Loaded(*this); // the buttons link to MainForm.Rights and ask the user's rights
    setWindowTitle(tr("%1 \u2014 %2").arg(windowTitle(), qt::ToQString(shop.User())));
}

OrdersWindow::~OrdersWindow() = default;

} // namespace zel::shop
