// The objects of the handle table by their numbers. Numbers are handed out one after another,
// so their low bits alone spread them over the slots: a look-up is a mask and a probe or two,
// with no division and no allocation of its own for an entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zal {

// Number 0 is no handle, and marks a free slot.
template <typename V>
class HandleMap {
public:
    V *find(int32_t h) {
        if (slots_.empty() || h == 0)
            return nullptr;
        for (size_t i = home(h);; i = next(i)) {
            Slot &s = slots_[i];
            if (s.key == h)
                return &s.value;
            if (s.key == 0)
                return nullptr;
        }
    }

    // h is not in the map yet.
    void insert(int32_t h, V value) {
        if ((used_ + 1) * 2 > slots_.size())
            grow();
        size_t i = home(h);
        while (slots_[i].key != 0)
            i = next(i);
        slots_[i] = {h, std::move(value)};
        ++used_;
    }

    // Removes h, which is in the map, and hands back its value.
    V take(int32_t h) {
        size_t i = home(h);
        while (slots_[i].key != h)
            i = next(i);
        V value = std::move(slots_[i].value);
        // Entries further along the run move back into the gap, so no look-up stops short.
        for (size_t j = next(i); slots_[j].key != 0; j = next(j)) {
            const size_t k = home(slots_[j].key);
            const bool stays = i <= j ? i < k && k <= j : i < k || k <= j;
            if (!stays) {
                slots_[i] = std::move(slots_[j]);
                i = j;
            }
        }
        slots_[i] = Slot{};
        --used_;
        return value;
    }

    template <typename F>
    void for_each(F &&f) {
        for (Slot &s : slots_)
            if (s.key != 0)
                f(s.key, s.value);
    }

private:
    struct Slot {
        int32_t key = 0;
        V value{};
    };

    size_t home(int32_t h) const { return static_cast<uint32_t>(h) & mask_; }
    size_t next(size_t i) const { return (i + 1) & mask_; }

    void grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        mask_ = slots_.size() - 1;
        used_ = 0;
        for (Slot &s : old)
            if (s.key != 0)
                insert(s.key, std::move(s.value));
    }

    std::vector<Slot> slots_; // a power of two of them, at most half in use
    size_t mask_ = 0;         // their count less one
    size_t used_ = 0;
};

} // namespace zal
