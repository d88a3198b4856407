#include "zel/qt/QtMenuBar.h"

#include "zel/qt/QtActionGate.h"
#include "zel/qt/QtText.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <memory>
#include <vector>

namespace zel::qt {

namespace {

// One menu item and what shows it: its action and, for an item with sub-items, its menu.
struct Node {
    host::TMenuItem* item = nullptr; // nullptr once the item is gone
    QPointer<QAction> action;        // none for the root (the bar itself)
    QPointer<QMenu> menu;            // the sub-menu, when there is one
    bool owned = false;              // rendered by us: deleted with the item
    TActionGate* gate = nullptr;     // adopted: a child of the action, gone with it
    Node* parent = nullptr;
    QMetaObject::Connection triggered;
    std::vector<std::unique_ptr<Node>> children; // in the model's order
    host::TConnection connection;
};

// What an adopted item already has on screen.
struct Existing {
    const host::TMenuItem* item;
    QAction* action;
    QMenu* menu;
};

class MenuMirror : public QObject {
public:
    MenuMirror(QMenuBar& bar, host::TMainMenu& menu) : QObject(&bar), bar_(&bar) {
        setObjectName("zelMenuMirror");
        root_.item = menu.Items();
        if (root_.item == nullptr) {
            return;
        }
        Watch(root_);
        BindChildren(root_);
    }

    /// Adds `item` under `parent` (a bound item) to be shown by the application's own
    /// `action` (and `menu`, for a sub-menu) instead of a new one. Adoption adds its items
    /// one by one this way, so each is bound while its action is at hand: on a large
    /// window a second pass would find every action gone from the processor's caches.
    void Adopt(host::TMenuItem& parent, host::TMenuItem& item, QAction& action, QMenu* menu) {
        struct Done {
            Existing& pending;
            ~Done() { pending.item = nullptr; } // also when Add refuses the item
        } done{pending_};
        pending_ = Existing{&item, &action, menu};
        parent.Add(&item); // heard as ItemInserted, which binds it
    }

    QAction* Find(const host::TMenuItem& item) const {
        if (!indexed_) {
            // Made on the first question, not with the mirror: a log-in never asks, and an
            // entry per action is work and memory that large windows feel.
            Index(root_);
            indexed_ = true;
        }
        Node* node = index_.value(&item);
        return node != nullptr ? node->action.data() : nullptr;
    }

private:
    std::unique_ptr<Node> Bind(host::TMenuItem* item, Node* parent) {
        auto node = std::make_unique<Node>();
        node->item = item;
        node->parent = parent;
        if (pending_.item == item) {
            node->action = pending_.action;
            node->menu = pending_.menu;
            node->gate = &TActionGate::Of(*node->action, TActionGate::Menu, item->Enabled(),
                                          item->Visible());
        } else {
            node->owned = true;
            if (item->Count() > 0) {
                node->menu = new QMenu(bar_);
                node->action = node->menu->menuAction();
            } else {
                node->action = new QAction(bar_);
            }
        }
        // Released with the node (Release), so a kept adopted action never reaches it.
        node->triggered =
            connect(node->action, &QAction::triggered, this, [item] { item->Click(); });
        if (node->owned) {
            ApplyCaption(*node); // an adopted action keeps the text it came with
            ApplyState(*node);   // an adopted one's gate was made with the item's state
        }
        Watch(*node);
        if (indexed_) {
            index_[item] = node.get();
        }
        BindChildren(*node);
        return node;
    }

    // Binds the sub-items that `node` already has, each shown by an action of ours.
    void BindChildren(Node& node) {
        node.children.reserve(static_cast<std::size_t>(node.item->Count()));
        for (int i = 0; i < node.item->Count(); ++i) {
            node.children.push_back(Bind(node.item->Items(i), &node));
            if (QWidget* container = Container(node)) {
                container->addAction(node.children.back()->action);
            }
        }
    }

    static void ApplyCaption(Node& node) {
        if (node.action == nullptr) {
            return; // the application deleted its own action
        }
        const QString caption = ToQString(node.item->Caption());
        node.action->setSeparator(node.item->IsLine());
        node.action->setText(caption);
        if (node.menu != nullptr) {
            node.menu->setTitle(caption);
        }
    }

    // A rendered action shows the model; an adopted one the application's wish as far as
    // the model allows (QtActionGate.h).
    static void ApplyState(Node& node) {
        if (node.action == nullptr) {
            return;
        }
        if (node.gate != nullptr) { // the action is there: the gate goes only with it
            node.gate->Allow(TActionGate::Menu, node.item->Enabled(), node.item->Visible());
        } else if (node.owned) {
            node.action->setEnabled(node.item->Enabled());
            node.action->setVisible(node.item->Visible());
        }
    }

    void Index(const Node& node) const {
        for (auto& child : node.children) {
            if (child->item != nullptr) {
                index_[child->item] = child.get();
                Index(*child);
            }
        }
    }

    QMenu* EnsureMenu(Node& node) {
        if (node.menu == nullptr && node.action != nullptr) {
            node.menu = new QMenu(bar_);
            node.menu->setTitle(node.action->text());
            node.action->setMenu(node.menu.data());
        }
        return node.menu;
    }

    QWidget* Container(Node& node) {
        if (&node == &root_) {
            return bar_;
        }
        return EnsureMenu(node);
    }

    void Watch(Node& node) {
        node.connection =
            node.item->Subscribe([this, n = &node](const host::TChange& c) { Changed(*n, c); });
    }

    void Changed(Node& node, const host::TChange& change) {
        switch (change.kind) {
        case host::TChangeKind::Caption:
            ApplyCaption(node);
            break;
        case host::TChangeKind::Enabled:
        case host::TChangeKind::Visible:
            ApplyState(node);
            break;
        case host::TChangeKind::ItemInserted: {
            const auto at = static_cast<std::size_t>(change.index);
            auto child = Bind(node.item->Items(change.index), &node);
            QAction* before =
                at < node.children.size() ? node.children[at]->action.data() : nullptr;
            QWidget* container = child->owned ? Container(node) : nullptr; // adopted: in place
            if (container != nullptr) {
                container->insertAction(before, child->action);
            }
            node.children.insert(node.children.begin() + static_cast<std::ptrdiff_t>(at),
                                 std::move(child));
            break;
        }
        case host::TChangeKind::ItemRemoved: {
            const auto at = static_cast<std::size_t>(change.index);
            if (change.index >= 0 && at < node.children.size()) {
                Release(*node.children[at]); // taken out of the menu, if not already gone
                node.children.erase(node.children.begin() + static_cast<std::ptrdiff_t>(at));
            }
            break;
        }
        case host::TChangeKind::Destroying:
            Release(node);
            break;
        default:
            break;
        }
    }

    // The item is gone (or left this menu): so is its action, from every menu it was in.
    void Release(Node& node) {
        for (auto& child : node.children) {
            Release(*child);
        }
        index_.remove(node.item);
        node.item = nullptr;
        node.connection.Disconnect();
        QObject::disconnect(node.triggered);
        QAction* action = node.action;
        if (action == nullptr) {
            return;
        }
        for (QObject* o : action->associatedObjects()) {
            if (auto* w = qobject_cast<QWidget*>(o); w != nullptr && w != node.menu) {
                w->removeAction(action);
            }
        }
        if (node.owned) {
            // Later, not now: the action may be the one whose trigger is freeing the item.
            if (node.menu != nullptr) {
                node.menu->deleteLater();
            } else {
                action->deleteLater();
            }
        } else if (node.gate != nullptr) {
            node.gate->Allow(TActionGate::Menu, false, false); // for good, whatever the
                                                               // application sets
        }
        node.action = nullptr;
        node.menu = nullptr;
    }

    QPointer<QMenuBar> bar_;
    Node root_;
    Existing pending_{nullptr, nullptr, nullptr}; // the item Adopt is adding
    // Every bound item's node, once asked for. Qt's hash over std's: no allocation per
    // entry, which counts at 100,000 items.
    mutable QHash<const host::TMenuItem*, Node*> index_;
    mutable bool indexed_ = false;
};

// Names what has none from its place: the parent's name and the position under it. The
// object's own name serves where it is an identifier still free under `owner`.
std::string NameFor(const QString& objectName, const std::string& parentName, int index,
                    const host::TComponent* owner) {
    std::string name = objectName.toStdString();
    if (host::TComponent::IsValidIdent(name) &&
        (owner == nullptr || owner->FindComponent(name) == nullptr)) {
        return name;
    }
    name = "generated_" + parentName + "_" + std::to_string(index);
    for (int n = 2; owner != nullptr && owner->FindComponent(name) != nullptr; ++n) {
        name = "generated_" + parentName + "_" + std::to_string(index) + "_" + std::to_string(n);
    }
    return name;
}

struct Adoption {
    host::TComponent* owner;
    MenuMirror& mirror;
    QSet<const QAction*> seen; // one action, one item: its first place
};

void AdoptActions(const QList<QAction*>& actions, host::TMenuItem& parent,
                  const std::string& parentName, Adoption& adoption) {
    host::TComponent* owner = adoption.owner;
    int index = 0;
    for (QAction* action : actions) {
        if (adoption.seen.contains(action)) {
            ++index; // shown again elsewhere: the first place's item rules it
            continue;
        }
        adoption.seen.insert(action);
        auto* item = new host::TMenuItem(owner);
        QMenu* menu = action->menu();
        const QString objectName = menu != nullptr && !menu->objectName().isEmpty()
                                       ? menu->objectName()
                                       : action->objectName();
        item->SetName(NameFor(objectName, parentName, index++, owner));
        if (action->isSeparator()) {
            item->SetCaption("-");
        } else {
            item->SetCaption(FromQString(menu != nullptr ? menu->title() : action->text()));
        }
        // Nothing is granted until a log-in imposes rights; the application's own state
        // stays with the action, as its wish.
        item->SetEnabled(action->isSeparator());
        adoption.mirror.Adopt(parent, *item, *action, menu);
        if (menu != nullptr) {
            AdoptActions(menu->actions(), *item, item->Name(), adoption);
        }
    }
}

MenuMirror* MirrorOf(const QMenuBar& bar) {
    // By name and RTTI: the mirror is a plain QObject subclass, with no meta-object of its own.
    return dynamic_cast<MenuMirror*>(
        bar.findChild<QObject*>("zelMenuMirror", Qt::FindDirectChildrenOnly));
}

} // namespace

QMenuBar* RenderMenuBar(host::TMainMenu& menu, QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    new MenuMirror(*bar, menu);
    return bar;
}

host::TMainMenu* AdoptMenuBar(QMenuBar& bar, host::TComponent* owner) {
    auto* menu = new host::TMainMenu(owner);
    const std::string name = NameFor(bar.objectName(), "menubar", 0, owner);
    menu->SetName(name);
    Adoption adoption{owner, *new MenuMirror(bar, *menu), {}};
    AdoptActions(bar.actions(), *menu->Items(), name, adoption);
    return menu;
}

QAction* ActionOf(const QMenuBar& bar, const host::TMenuItem& item) {
    MenuMirror* mirror = MirrorOf(bar);
    return mirror != nullptr ? mirror->Find(item) : nullptr;
}

} // namespace zel::qt
