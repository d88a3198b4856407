#pragma once
// The orders window: read from the example's orders form file each time it opens, so its
// rights-aware buttons (a bitmap button and push buttons, one naming the right "Refund"
// that no menu item has) check the rights of the user who opened it.

#include "zel/host/core/Form.h"

#include <QDialog>
#include <memory>

namespace zel::shop {

class ShopWindow;

class OrdersWindow : public QDialog {
public:
    explicit OrdersWindow(ShopWindow& shop);
    ~OrdersWindow() override;

    host::TForm& Form() const { return *form_; }

private:
    std::unique_ptr<host::TForm> form_;
};

} // namespace zel::shop
