#pragma once
// A new user for the administration dialog: the user ID and a password typed twice, stored
// as an Argon2id hash; the rights none, or those of a user named. A user ID that is taken
// already is refused and nothing is written (TDataSet::AppendUnique).

#include "zel/host/data/DataSet.h"
#include "zel/qt/ComponentLink.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace zel::qt {

struct TUserTable;

class TQtNewUserDialog : public QDialog {
public:
    /// `like`: a user whose rights the new one may take (offered, not checked); empty for
    /// none.
    TQtNewUserDialog(host::TDataSet& table, const TUserTable& fields, std::string like,
                     QWidget* parent = nullptr);

    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* NewEdit() const { return new_; }
    QLineEdit* AgainEdit() const { return again_; }
    QCheckBox* LikeBox() const { return likeBox_; } ///< nullptr without `like`
    QLabel* Status() const { return status_; }
    /// The user added, once accepted.
    const std::string& Added() const { return added_; }

    /// Adds the user typed; true when it was (the dialog is then accepted), else the
    /// dialog says why and stays open.
    bool TryAdd();

private:
    TComponentLink<host::TDataSet> table_;
    std::string userIDField_, passwordField_, rightsField_;
    std::string like_;
    std::string added_;
    QLineEdit* user_;
    QLineEdit* new_;
    QLineEdit* again_;
    QCheckBox* likeBox_ = nullptr;
    QLabel* status_;
};

} // namespace zel::qt
