#pragma once
// The administration window: the user IDs (never passwords), the rights editor showing the
// selected user's rights, and Grant all, Revoke all, Save, Reload and "Restore my menu"
// (the editor's preview changes the live menu; the provider imposes the logged-in user's
// own rights again). A save refused because another administrator changed the record is
// said so, with the cause, and offers to reload: nobody's work is overwritten silently.

#include "zel/components/ZELMCLB.h"
#include "zel/host/Form.h"

#include <QDialog>
#include <memory>

class QLabel;
class QListWidget;

namespace zel::shop {

class ShopWindow;

class AdminWindow : public QDialog {
public:
    explicit AdminWindow(ShopWindow& shop);
    ~AdminWindow() override;

    /// Selects the user and loads the record's rights into the editor.
    bool Select(const std::string& user);
    /// Saves the editor's rights; false when the save was refused (the window said why).
    bool Save();
    void Reload();

    TZELMenuCheckListBox& Editor() const { return *editor_; }
    QListWidget* Users() const { return users_; }
    QListWidget* RightsList() const { return rightsList_; }
    QLabel* Status() const { return status_; }

private:
    void FillUsers();

    ShopWindow& shop_;
    std::unique_ptr<host::TForm> form_; // the admin form file: its table and the editor
    TZELMenuCheckListBox* editor_ = nullptr;
    QListWidget* users_ = nullptr;
    QListWidget* rightsList_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace zel::shop
