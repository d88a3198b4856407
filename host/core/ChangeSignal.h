#pragma once
// Change notifications for menu items, controls and list boxes, so that a front end can
// mirror the model. Subscribing returns a TConnection; destroying the connection
// unsubscribes, and destroying the subject disconnects every connection, so neither side
// can reach the other after it is gone. Emitting to no observers costs one branch.
// Observers mirror the model; they must not add or remove menu items or rows from inside
// a notice, since the pass that sent it may be walking them.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zel::host {

enum class TChangeKind {
    Caption,
    Enabled,
    Visible,
    Checked,      ///< index: the row whose check changed
    ItemInserted, ///< index: position of the new sub-item or row
    ItemRemoved,  ///< index: position the sub-item or row had
    ItemIndex,    ///< the selected row changed
    Destroying,   ///< the subject is being destroyed; this is the last notice
    Imposed,      ///< a rights provider imposed its granted list (or tried to)
};

struct TChange {
    TChangeKind kind;
    int index = -1;
};

using TChangeHandler = std::function<void(const TChange&)>;

class TChangeSignal;

/// An observer's subscription. Move-only; unsubscribes when destroyed.
class TConnection {
public:
    TConnection() = default;
    ~TConnection() { Disconnect(); }
    TConnection(TConnection&& other) noexcept;
    TConnection& operator=(TConnection&& other) noexcept;
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void Disconnect();
    bool Connected() const { return signal_ != nullptr; }

private:
    friend class TChangeSignal;
    struct Slot;
    TChangeSignal* signal_ = nullptr;
    Slot* slot_ = nullptr;
};

struct TConnection::Slot {
    TChangeHandler handler;
    TConnection* connection = nullptr; // nullptr once released
};

class TChangeSignal {
public:
    TChangeSignal() = default;
    ~TChangeSignal();
    TChangeSignal(const TChangeSignal&) = delete;
    TChangeSignal& operator=(const TChangeSignal&) = delete;

    [[nodiscard]] TConnection Subscribe(TChangeHandler handler);
    /// Calls every observer subscribed before the call, in subscription order. Observers
    /// may unsubscribe, subscribe or destroy the subject from inside the call.
    void Emit(const TChange& change) {
        if (HasObservers()) {
            EmitSlow(change);
        }
    }
    bool HasObservers() const {
        return state_ != nullptr && (state_->first.connection != nullptr || !state_->more.empty());
    }

    /// A property setter's whole work: store `value` and announce `kind`, if it changed.
    template <class T> void Assign(T& field, const T& value, TChangeKind kind) {
        if (field != value) {
            field = value;
            Emit({kind});
        }
    }

private:
    friend class TConnection;
    void EmitSlow(const TChange& change);
    void Release(TConnection::Slot* slot);
    void Squeeze();

    struct State {
        // The first observer lives here: most subjects that have one have only that one (a
        // menu item and its mirror), so an item of a large menu pays one allocation for it.
        TConnection::Slot first;
        std::vector<std::unique_ptr<TConnection::Slot>> more; // the others, in order
        int emitting = 0;
        bool* destroyedFlag = nullptr;
    };
    // Made by the first Subscribe: most subjects never have an observer, and a menu of
    // many items should not pay for one each.
    std::unique_ptr<State> state_;
};

} // namespace zel::host
