#pragma once
// A live Qt application that manages its own actions, as real ones do: a document that
// opens and closes, a selection, an edit that makes undo possible, and every action
// enabled or shown from that state. Its actions are shared by the menu bar (one of them
// in two menus), a toolbar and a context menu; one action lives only on the toolbar,
// guarded by zelRight; a special item waits to be removed. ZEL is added as the README
// says, and Check() says whether what the user sees is what the rights and the
// application together allow. Used by the scripted test and by fuzz_gate.

#include "FuzzSupport.h"
#include "zel/components/ZELMCLB.h"
#include "zel/components/ZELRight.h"
#include "zel/host/data/DataSource.h"
#include "zel/host/sqlite/SQLiteTable.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <map>
#include <memory>
#include <string>

namespace zel::fuzz {

class LiveApp {
public:
    /// The users: admin (everything), clerk (documents, no deleting or branching),
    /// viewer (open and copy only), each with its ID as password.
    LiveApp();
    ~LiveApp();

    // The application's own life.
    void OpenDocument();
    void CloseDocument();
    void Select(bool selected);
    void Edit();
    void Undo();
    /// The application sets one action's state itself, out of any logic.
    void SetEnabled(QAction* action, bool enabled);
    void SetVisible(QAction* action, bool visible);

    // ZEL's life.
    bool LogIn(const std::string& user, bool hidden);
    void Activate(); ///< the provider's ActivateSetting, as an application may call it
    void Preview(std::size_t row); ///< the editor toggles a row, and previews on the menu
    void FreeItem(std::size_t index);

    /// Empty when everything holds, else what does not.
    std::string Check() const;

    QMainWindow window;
    std::vector<QAction*> actions; ///< every action of the application
    QAction* publish = nullptr;    ///< only on the toolbar, zelRight "mnuPublish"
    QMenu* context = nullptr;
    QToolBar* toolbar = nullptr;

private:
    void UpdateActions();
    void Want(QAction* action, bool enabled, bool visible);
    struct Wish {
        bool enabled = true;
        bool visible = true;
    };
    std::map<const QAction*, Wish> wishes_;
    bool open_ = false, selected_ = false, undoable_ = false;

    MemoryUsers users_;
    host::TForm form_{nullptr};
    host::TMainMenu* menu_ = nullptr;
    host::TSQLiteTable* table_ = nullptr;
    host::TDataSource* source_ = nullptr;
    TZELRight* rights_ = nullptr;
    TZELMenuCheckListBox* editor_ = nullptr;
    bool previewing_ = false; // the editor, not the provider, set the menu last
};

} // namespace zel::fuzz
