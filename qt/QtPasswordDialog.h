#pragma once
// A new password for a user: typed twice without echo and stored as an Argon2id hash
// (StorePassword), never shown, wiped once used. For one's own password the current one
// is asked too and checked against the record first; an administrator setting another
// user's password is not asked it.

#include "zel/components/ZELRight.h"
#include "zel/qt/ComponentLink.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace zel::qt {

class TQtPasswordDialog : public QDialog {
public:
    /// The password of `user` in `table` (the current record is moved to it); `own`: the
    /// user changes their own, and must give the current one.
    TQtPasswordDialog(host::TDataSet& table, const std::string& userIDField,
                      const std::string& passwordField, std::string user, bool own,
                      QWidget* parent = nullptr);

    QLineEdit* CurrentEdit() const { return current_; } ///< nullptr unless `own`
    QLineEdit* NewEdit() const { return new_; }
    QLineEdit* AgainEdit() const { return again_; }
    QLabel* Status() const { return status_; }

    /// Stores what is typed; true when it was (the dialog is then accepted), else the
    /// dialog says why and stays open.
    bool TrySave();

private:
    std::string Refusal(std::string& current, std::string& typed);

    TComponentLink<host::TDataSet> table_;
    std::string userIDField_;
    std::string passwordField_;
    std::string user_;
    QLineEdit* current_ = nullptr;
    QLineEdit* new_;
    QLineEdit* again_;
    QLabel* status_;
};

} // namespace zel::qt
