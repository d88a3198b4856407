#pragma once
// The orders window: a Qt Designer window (OrdersWindow.ui) whose buttons are ZEL's, taken
// from Designer's widget box. It is made anew each time it opens, so its rights-aware
// buttons (one naming the right "Refund" that no menu item has) check the rights of the
// user who opened it.

#include <QDialog>
#include <memory>

namespace Ui {
class OrdersWindow;
}

namespace zel::shop {

class ShopWindow;

class OrdersWindow : public QDialog {
public:
    explicit OrdersWindow(ShopWindow& shop);
    ~OrdersWindow() override;

private:
    std::unique_ptr<Ui::OrdersWindow> ui_;
};

} // namespace zel::shop
