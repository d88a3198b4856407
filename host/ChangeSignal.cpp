#include "zel/host/ChangeSignal.h"

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
    if (destroyedFlag_ != nullptr) {
        *destroyedFlag_ = true;
    }
    for (auto& slot : slots_) {
        if (slot->connection != nullptr) {
            slot->connection->signal_ = nullptr;
            slot->connection->slot_ = nullptr;
        }
    }
}

TConnection TChangeSignal::Subscribe(TChangeHandler handler) {
    auto slot = std::make_unique<TConnection::Slot>();
    slot->handler = std::move(handler);
    TConnection connection;
    connection.signal_ = this;
    connection.slot_ = slot.get();
    slot->connection = &connection;
    slots_.push_back(std::move(slot));
    // The returned object is moved (or elided) into the caller's; the move constructor
    // re-points the slot at it.
    return connection;
}

void TChangeSignal::EmitSlow(const TChange& change) {
    bool destroyed = false;
    bool* outerFlag = destroyedFlag_;
    destroyedFlag_ = &destroyed;
    ++emitting_;
    const std::size_t count = slots_.size(); // observers added during the call wait
    for (std::size_t i = 0; i < count && i < slots_.size(); ++i) {
        TConnection::Slot* slot = slots_[i].get();
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
    --emitting_;
    destroyedFlag_ = outerFlag;
    if (emitting_ == 0) {
        Squeeze();
    }
}

void TChangeSignal::Release(TConnection::Slot* slot) {
    if (slot == nullptr) {
        return;
    }
    slot->connection = nullptr;
    if (emitting_ == 0) {
        Squeeze();
    }
}

void TChangeSignal::Squeeze() {
    slots_.erase(std::remove_if(slots_.begin(), slots_.end(),
                                [](const auto& s) { return s->connection == nullptr; }),
                 slots_.end());
}

} // namespace zel::host
