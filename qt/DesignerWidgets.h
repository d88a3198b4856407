#pragma once
// The four components as Qt Designer places them on a window: widgets whose properties
// Designer edits and saves in the .ui file. They hold only those values until the window
// is loaded; zel::qt::Loaded (DesignerLoaded.h) then makes the components behind them,
// links them by the names given and runs their Loaded, as reading a form file does.
//
//   ZELRight             the rights provider and its user table; drawn in Designer as its
//                        palette bitmap, never shown at run time
//   ZELBitBtn, ZELButton rights-aware push buttons
//   ZELMenuCheckListBox  the rights editor, a list of checkable rows
//
// `provider` names a ZELRight of the same window by its object name, or of another window
// loaded before as Window.name; `linkedMainMenu` names a menu bar the same way. Each
// widget owns the component made for it: both go together, whichever goes first.

#include "zel/components/ZELBBTN.h"
#include "zel/components/ZELBtn.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/core/ComponentLink.h"

#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

namespace zel::qt {

class ZELRight : public QWidget {
    Q_OBJECT
    Q_PROPERTY(
        QString linkedMainMenu READ linkedMainMenu WRITE setLinkedMainMenu NOTIFY propertiesChanged)
    Q_PROPERTY(bool hideDisabledItem READ hideDisabledItem WRITE setHideDisabledItem NOTIFY
                   propertiesChanged)
    Q_PROPERTY(QString userIDFieldName READ userIDFieldName WRITE setUserIDFieldName NOTIFY
                   propertiesChanged)
    Q_PROPERTY(QString userPasswordFieldName READ userPasswordFieldName WRITE
                   setUserPasswordFieldName NOTIFY propertiesChanged)
    Q_PROPERTY(QString userAccessRightFieldName READ userAccessRightFieldName WRITE
                   setUserAccessRightFieldName NOTIFY propertiesChanged)
    Q_PROPERTY(
        QString databaseName READ databaseName WRITE setDatabaseName NOTIFY propertiesChanged)
    Q_PROPERTY(QString connectionString READ connectionString WRITE setConnectionString NOTIFY
                   propertiesChanged)
    Q_PROPERTY(
        QString connectionName READ connectionName WRITE setConnectionName NOTIFY propertiesChanged)
    Q_PROPERTY(QString tableName READ tableName WRITE setTableName NOTIFY propertiesChanged)

public:
    explicit ZELRight(QWidget* parent = nullptr);
    ~ZELRight() override;

    QString linkedMainMenu() const { return linkedMainMenu_; }
    void setLinkedMainMenu(const QString& name);
    bool hideDisabledItem() const { return hideDisabledItem_; }
    void setHideDisabledItem(bool value);
    QString userIDFieldName() const { return userIDFieldName_; }
    void setUserIDFieldName(const QString& name);
    QString userPasswordFieldName() const { return userPasswordFieldName_; }
    void setUserPasswordFieldName(const QString& name);
    QString userAccessRightFieldName() const { return userAccessRightFieldName_; }
    void setUserAccessRightFieldName(const QString& name);
    /// An SQLite file: relative to the .ui file when the tool reads it, to the working
    /// directory when an application loads the window.
    QString databaseName() const { return databaseName_; }
    void setDatabaseName(const QString& name);
    /// A PostgreSQL connection string, for a table on a server instead of a file.
    QString connectionString() const { return connectionString_; }
    void setConnectionString(const QString& conninfo);
    /// The name of the application's own QSqlDatabase connection (any Qt SQL driver), for
    /// a table the application reaches already: added before the window is loaded.
    QString connectionName() const { return connectionName_; }
    void setConnectionName(const QString& name);
    QString tableName() const { return tableName_; }
    void setTableName(const QString& name);

    /// The provider made when the window was loaded, or nullptr before (or once it went).
    TZELRight* provider() const { return model_.Get(); }
    /// Takes `model` as this widget's provider: it goes with the widget.
    void adopt(TZELRight& model);
    /// The picture Designer shows in place of this widget (its palette bitmap).
    void setDesignPicture(const QPixmap& picture);

signals:
    void propertiesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString linkedMainMenu_;
    bool hideDisabledItem_ = false;
    QString userIDFieldName_;
    QString userPasswordFieldName_;
    QString userAccessRightFieldName_;
    QString databaseName_;
    QString connectionString_;
    QString connectionName_;
    QString tableName_;
    QPixmap picture_;
    host::TComponentLink<TZELRight> model_;
};

// What the two buttons share: a right, a provider and a modal result.
class ZELPushButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString right READ right WRITE setRight NOTIFY propertiesChanged)
    Q_PROPERTY(QString provider READ provider WRITE setProvider NOTIFY propertiesChanged)
    Q_PROPERTY(
        ModalResult modalResult READ modalResult WRITE setModalResult NOTIFY propertiesChanged)

public:
    /// The host's modal results, by the names Designer offers. Of a fixed type: a .ui file
    /// naming no such value hands the setter -1, which is then ignored.
    enum ModalResult : int {
        mrNone,
        mrOk,
        mrCancel,
        mrAbort,
        mrRetry,
        mrIgnore,
        mrYes,
        mrNo,
        mrAll
    };
    Q_ENUM(ModalResult)

    ~ZELPushButton() override;

    QString right() const { return right_; }
    void setRight(const QString& right);
    QString provider() const { return provider_; }
    void setProvider(const QString& name);
    ModalResult modalResult() const { return modalResult_; }
    void setModalResult(ModalResult result);

    /// The button component made when the window was loaded, or nullptr.
    host::TButton* model() const { return model_.Get(); }
    /// Takes `model` as this widget's button: it goes with the widget.
    void adopt(host::TButton& model);

signals:
    void propertiesChanged();

protected:
    explicit ZELPushButton(QWidget* parent);
    void Changed();

private:
    QString right_;
    QString provider_;
    ModalResult modalResult_ = mrNone;
    host::TComponentLink<host::TButton> model_;
};

class ZELBitBtn : public ZELPushButton {
    Q_OBJECT
    Q_PROPERTY(
        bool hideIfDisabled READ hideIfDisabled WRITE setHideIfDisabled NOTIFY propertiesChanged)
    Q_PROPERTY(Kind kind READ kind WRITE setKind NOTIFY propertiesChanged)

public:
    /// The host's bitmap button kinds: each gives the button a standard icon, and its text
    /// while the button has none of its own. A value outside them is ignored.
    enum Kind : int {
        bkCustom,
        bkOK,
        bkCancel,
        bkHelp,
        bkYes,
        bkNo,
        bkClose,
        bkAbort,
        bkRetry,
        bkIgnore,
        bkAll
    };
    Q_ENUM(Kind)

    explicit ZELBitBtn(QWidget* parent = nullptr);

    bool hideIfDisabled() const { return hideIfDisabled_; }
    void setHideIfDisabled(bool value);
    Kind kind() const { return kind_; }
    void setKind(Kind kind);

private:
    bool hideIfDisabled_ = false;
    Kind kind_ = bkCustom;
};

class ZELButton : public ZELPushButton {
    Q_OBJECT

public:
    explicit ZELButton(QWidget* parent = nullptr);
};

class ZELMenuCheckListBox : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(QString provider READ provider WRITE setProvider NOTIFY propertiesChanged)
    Q_PROPERTY(
        QString linkedMainMenu READ linkedMainMenu WRITE setLinkedMainMenu NOTIFY propertiesChanged)
    Q_PROPERTY(bool hideDisabledItem READ hideDisabledItem WRITE setHideDisabledItem NOTIFY
                   propertiesChanged)
    Q_PROPERTY(QString userAccessRightFieldName READ userAccessRightFieldName WRITE
                   setUserAccessRightFieldName NOTIFY propertiesChanged)

public:
    explicit ZELMenuCheckListBox(QWidget* parent = nullptr);
    ~ZELMenuCheckListBox() override;

    /// The provider whose user table's current record the editor edits.
    QString provider() const { return provider_; }
    void setProvider(const QString& name);
    QString linkedMainMenu() const { return linkedMainMenu_; }
    void setLinkedMainMenu(const QString& name);
    bool hideDisabledItem() const { return hideDisabledItem_; }
    void setHideDisabledItem(bool value);
    QString userAccessRightFieldName() const { return userAccessRightFieldName_; }
    void setUserAccessRightFieldName(const QString& name);

    /// The editor made when the window was loaded, or nullptr.
    TZELMenuCheckListBox* editor() const { return model_.Get(); }
    /// Takes `model` as this widget's editor: it goes with the widget.
    void adopt(TZELMenuCheckListBox& model);

signals:
    void propertiesChanged();

private:
    QString provider_;
    QString linkedMainMenu_;
    bool hideDisabledItem_ = true;
    QString userAccessRightFieldName_;
    host::TComponentLink<TZELMenuCheckListBox> model_;
};

} // namespace zel::qt
