#pragma once
// GapList<T>: a sequence with an unused gap kept where it was last changed. Inserting or
// erasing at the gap costs O(1), and moving the gap costs the distance moved, so a pass
// that walks a list forward and removes items as it goes (special items of a menu level,
// say) is linear in the list's size rather than quadratic.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace zel::host {

template <class T> class GapList {
public:
    std::size_t size() const { return data_.size() - gapSize(); }
    bool empty() const { return size() == 0; }

    const T& operator[](std::size_t index) const {
        return data_[index < gapStart_ ? index : index + gapSize()];
    }
    const T& back() const { return (*this)[size() - 1]; }

    void insert(std::size_t index, const T& value) {
        if (gapSize() == 0) {
            Grow();
        }
        MoveGap(index);
        data_[gapStart_++] = value;
    }

    void erase(std::size_t index) {
        MoveGap(index);
        data_[gapEnd_++] = T();
    }

    /// Index of `value`, or -1. The places beside the gap are looked at first, since
    /// removals tend to follow the last change.
    long find(const T& value) const {
        if (gapEnd_ < data_.size() && data_[gapEnd_] == value) {
            return static_cast<long>(gapStart_);
        }
        if (gapStart_ > 0 && data_[gapStart_ - 1] == value) {
            return static_cast<long>(gapStart_) - 1;
        }
        for (std::size_t i = 0; i < size(); ++i) {
            if ((*this)[i] == value) {
                return static_cast<long>(i);
            }
        }
        return -1;
    }

    /// The items in order, as a plain vector.
    std::vector<T> ToVector() const {
        std::vector<T> out(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(gapStart_));
        out.insert(out.end(), data_.begin() + static_cast<std::ptrdiff_t>(gapEnd_), data_.end());
        return out;
    }

private:
    std::size_t gapSize() const { return gapEnd_ - gapStart_; }

    void MoveGap(std::size_t index) {
        if (index < gapStart_) {
            // Items [index, gapStart) move to the end of the gap.
            std::move_backward(data_.begin() + static_cast<std::ptrdiff_t>(index),
                               data_.begin() + static_cast<std::ptrdiff_t>(gapStart_),
                               data_.begin() + static_cast<std::ptrdiff_t>(gapEnd_));
        } else if (index > gapStart_) {
            std::move(data_.begin() + static_cast<std::ptrdiff_t>(gapEnd_),
                      data_.begin() + static_cast<std::ptrdiff_t>(gapEnd_ + index - gapStart_),
                      data_.begin() + static_cast<std::ptrdiff_t>(gapStart_));
        }
        const std::size_t gap = gapSize();
        gapStart_ = index;
        gapEnd_ = index + gap;
    }

    void Grow() {
        const std::size_t extra = std::max<std::size_t>(4, data_.size());
        data_.insert(data_.begin() + static_cast<std::ptrdiff_t>(gapEnd_), extra, T());
        gapEnd_ += extra;
    }

    std::vector<T> data_;
    std::size_t gapStart_ = 0;
    std::size_t gapEnd_ = 0;
};

} // namespace zel::host
