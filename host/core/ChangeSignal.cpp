#include "zel/host/core/ChangeSignal.h"

#include <algorithm>

namespace zel::host {

TConnection::TConnection(TConnection&& other) noexcept
    : signal_(other.signal_), slot_(other.slot_) {
    if (slot_ != nullptr) {
        slot_->connection = this;
    }
    other.signal_ = nullptr;
    other.slot_ = nullptr;
}

TConnection& TConnection::operator=(TConnection&& other) noexcept {
    if (this != &other) {
        Disconnect();
        signal_ = other.signal_;
        slot_ = other.slot_;
        if (slot_ != nullptr) {
            slot_->connection = this;
        }
        other.signal_ = nullptr;
        other.slot_ = nullptr;
    }
    return *this;
}

void TConnection::Disconnect() {
    if (signal_ != nullptr) {
        signal_->Release(slot_);
    }
    signal_ = nullptr;
    slot_ = nullptr;
}

TChangeSignal::~TChangeSignal() {
    if (state_ == nullptr) {
        return;
    }
    if (state_->destroyedFlag != nullptr) {
        *state_->destroyedFlag = true;
    }
    auto detach = [](TConnection::Slot& slot) {
        if (slot.connection != nullptr) {
            slot.connection->signal_ = nullptr;
            slot.connection->slot_ = nullptr;
        }
    };
    detach(state_->first);
    for (auto& slot : state_->more) {
        detach(*slot);
    }
}

TConnection TChangeSignal::Subscribe(TChangeHandler handler) {
    if (state_ == nullptr) {
        state_ = std::make_unique<State>();
    }
    State& state = *state_;
    TConnection::Slot* slot = &state.first;
    // The inline place only while nobody follows it (order is subscription order) and no
    // call is under way (its released handler may be the one running).
    if (state.first.connection != nullptr || !state.more.empty() || state.emitting > 0) {
        slot = state.more.emplace_back(std::make_unique<TConnection::Slot>()).get();
    }
    slot->handler = std::move(handler);
    TConnection connection;
    connection.signal_ = this;
    connection.slot_ = slot;
    slot->connection = &connection;
    // The returned object is moved (or elided) into the caller's; the move constructor
    // re-points the slot at it.
    return connection;
}

void TChangeSignal::EmitSlow(const TChange& change) {
    State& state = *state_; // lives as long as this signal
    bool destroyed = false;
    bool* outerFlag = state.destroyedFlag;
    state.destroyedFlag = &destroyed;
    ++state.emitting;
    // Observers added during the call wait: the first place is not reused meanwhile.
    const std::size_t count = state.more.size();
    for (std::size_t i = 0; i <= count && i <= state.more.size(); ++i) {
        TConnection::Slot* slot = i == 0 ? &state.first : state.more[i - 1].get();
        if (slot->connection != nullptr && slot->handler) {
            slot->handler(change);
            if (destroyed) {
                if (outerFlag != nullptr) {
                    *outerFlag = true;
                }
                return; // the subject, and this signal, are gone
            }
        }
    }
    --state.emitting;
    state.destroyedFlag = outerFlag;
    if (state.emitting == 0) {
        Squeeze();
    }
}

void TChangeSignal::Release(TConnection::Slot* slot) {
    if (slot == nullptr) {
        return;
    }
    slot->connection = nullptr;
    if (state_->emitting == 0) {
        Squeeze();
    }
}

void TChangeSignal::Squeeze() {
    if (state_->first.connection == nullptr) {
        state_->first.handler = nullptr; // what it captured goes now, not with the subject
    }
    auto& more = state_->more;
    more.erase(std::remove_if(more.begin(), more.end(),
                              [](const auto& s) { return s->connection == nullptr; }),
               more.end());
}

} // namespace zel::host
