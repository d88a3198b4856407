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
    for (auto& slot : state_->observers) {
        if (slot->connection != nullptr) {
            slot->connection->signal_ = nullptr;
            slot->connection->slot_ = nullptr;
        }
    }
}

TConnection TChangeSignal::Subscribe(TChangeHandler handler) {
    if (state_ == nullptr) {
        state_ = std::make_unique<State>();
    }
    auto slot = std::make_unique<TConnection::Slot>();
    slot->handler = std::move(handler);
    TConnection connection;
    connection.signal_ = this;
    connection.slot_ = slot.get();
    slot->connection = &connection;
    state_->observers.push_back(std::move(slot));
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
    const std::size_t count = state.observers.size(); // observers added during the call wait
    for (std::size_t i = 0; i < count && i < state.observers.size(); ++i) {
        TConnection::Slot* slot = state.observers[i].get();
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
    auto& observers = state_->observers;
    observers.erase(std::remove_if(observers.begin(), observers.end(),
                                   [](const auto& s) { return s->connection == nullptr; }),
                    observers.end());
}

} // namespace zel::host
