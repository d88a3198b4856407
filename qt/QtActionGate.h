#pragma once
// The gate ZEL keeps over a QAction that belongs to the application. The application goes
// on enabling, disabling, showing and hiding its actions from its own state (a document
// open, a selection, something to undo); the rights only ever take away:
//
//   shown enabled  = the application wants it enabled  and every input of the gate allows it
//   shown visible  = the application wants it visible  and every input of the gate allows it
//
// The inputs are the action's menu item (its Enabled and Visible, as the rights walk or the
// editor's preview left them) and a right named by the action's zelRight property. So a
// denied action stays off whatever the application sets, a granted one shows exactly what
// the application last asked for, and one action shows one state in every menu, toolbar
// and context menu that holds it.
//
// How: the gate puts the action into a QActionGroup of its own and switches that group.
// Qt keeps the application's own setEnabled/setVisible calls for the action while its
// group is off and gives them back when the group is on again, so no call of the
// application is lost, not even one that changes nothing on screen. An action that the
// application keeps in a QActionGroup of its own cannot be in ours: the gate then sets the
// action itself and learns the application's wishes from the changes it sees, and a call
// that changes nothing on screen while the gate holds the action off (setEnabled(false)
// on an action ZEL disabled) is not seen; the README says so.
//
// The gate belongs to its action and goes with it, never before it.

#include <QAction>
#include <QActionGroup>

namespace zel::qt {

struct TActionWish {
    bool enabled;
    bool visible;
};

// The gate is itself the action's group, a child of the action: one object an action.
class TActionGate : public QActionGroup {
public:
    enum Input { Menu, Right, InputCount };

    /// The gate of `action` with `input` set; made on first use, with `input` set before
    /// the action joins, which spares it a change of state (the other inputs allow all).
    static TActionGate& Of(QAction& action, Input input, bool enabled, bool visible);
    /// The gate of `action`, or nullptr where ZEL never gated it.
    static TActionGate* Find(const QAction& action);

    /// Sets what `input` allows, and shows the result at once.
    void Allow(Input input, bool enabled, bool visible);
    /// What the application last asked of the action, whatever the gate shows.
    TActionWish Wish() const;
    /// Whether every input allows enabling (showing) the action.
    bool AllowsEnabled() const;
    bool AllowsVisible() const;

private:
    TActionGate(QAction& action, Input input, bool enabled, bool visible);
    void Apply();
    void Changed();
    void TakeOwnWishes();
    bool Grouped() const;

    QAction* action_;       // our parent: it outlives us
    bool grouping_ = true;  // false once the action is in a group of the application's
    TActionWish wish_{};    // only when not grouping: what the application asked
    TActionWish applied_{}; // only when not grouping: what we last set
    bool allowed_[InputCount][2] = {{true, true}, {true, true}};
    bool applying_ = false;
};

} // namespace zel::qt
