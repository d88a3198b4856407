#pragma once
// The administration dialog of a TQtRights window: the user IDs (never passwords), filtered
// as one types; beside them the rights editor showing the selected user's rights; Grant
// all, Revoke all, Save, Reload and Set password. The editor previews on the live menu, as
// the editor does; when the dialog goes, the administrator's own menu comes back.
//
// Nobody's work is lost silently: unsaved changes are asked about before another user is
// selected or the dialog closes, and a save refused because another administrator changed
// the record says so, with the cause, and offers to reload it.
//
// Its layout is a Designer file (QtAdminDialog.ui) whose editor is ZEL's editor widget.

#include "zel/components/ZELMCLB.h"
#include "zel/host/core/Form.h"

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace zel::qt {

class TQtRights;

class TQtAdminDialog : public QDialog {
public:
    /// Opens its own copy of `rights`' user table; `rights` must outlive the dialog (it
    /// deletes the dialog when it goes).
    explicit TQtAdminDialog(TQtRights& rights, QWidget* parent = nullptr);
    ~TQtAdminDialog() override;

    /// Selects `user` and shows their rights; false when there is no such user, or the
    /// administrator kept the unsaved changes of the user selected now.
    bool Select(const std::string& user);
    /// Saves the editor's rights into the selected user's record; false when refused (the
    /// dialog said why).
    bool Save();
    /// Reads the selected user's record again, dropping unsaved changes.
    void Reload();
    /// Whether the editor holds changes not saved.
    bool Unsaved() const;
    /// "Set password" for the selected user; false when cancelled.
    bool SetPassword();
    /// "Add user": a new user, selected once added; false when cancelled.
    bool AddUser();
    /// "Remove user": the selected user's record, after asking; false when kept.
    bool RemoveUser();

    TZELMenuCheckListBox& Editor() const { return *editor_; }
    QListWidget* Users() const { return users_; }
    QLineEdit* Filter() const { return filter_; }
    QListWidget* RightsList() const { return rightsList_; }
    QLabel* Status() const { return status_; }
    const std::string& Selected() const { return selected_; }

protected:
    void done(int result) override;

private:
    void FillUsers();
    void ApplyFilter(const QString& text);
    void Loaded();
    /// Asks about unsaved changes: true when they were saved or dropped, false to stay.
    bool MayLeave();
    void ShowSelected();

    TQtRights& rights_;
    std::unique_ptr<host::TForm> form_; // its own table, data source and editor
    host::TDataSet* table_ = nullptr;
    TZELMenuCheckListBox* editor_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QListWidget* users_ = nullptr;
    QListWidget* rightsList_ = nullptr;
    QLabel* status_ = nullptr;
    std::string selected_;
    std::vector<std::string> loaded_; // the granted names as last loaded or saved, sorted
};

} // namespace zel::qt
