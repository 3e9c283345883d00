// The five control inputs of a trigger set: hold, int_reset, int_start, mrst
// and clk, each optional. A node's set names nodes (NodeTriggers), the set a
// special register receives names their signals (TriggerSig).
//
// Every control node and special register has such a set, yet few inputs
// are present on any one of them (a block's nodes mostly carry mrst and
// clk), so only the present ones are stored, in input order, with room for
// two in place.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "common/small_vec.hpp"

namespace vorlent {

template <class T>
class ControlInputs {
public:
    std::optional<T> hold() const { return get(HOLD); }
    std::optional<T> int_reset() const { return get(INT_RESET); }
    std::optional<T> int_start() const { return get(INT_START); }
    std::optional<T> mrst() const { return get(MRST); }
    std::optional<T> clk() const { return get(CLK); }

    // Each replaces its input; an absent value clears it.
    void set_hold(std::optional<T> v) { set(HOLD, std::move(v)); }
    void set_int_reset(std::optional<T> v) { set(INT_RESET, std::move(v)); }
    void set_int_start(std::optional<T> v) { set(INT_START, std::move(v)); }
    void set_mrst(std::optional<T> v) { set(MRST, std::move(v)); }
    void set_clk(std::optional<T> v) { set(CLK, std::move(v)); }

    // The present inputs in the order hold, int_reset, int_start, mrst, clk.
    template <class Visit>
    void for_each_present(Visit visit) const {
        for (const Entry& e : present_) visit(e.value);
    }

    friend bool operator==(const ControlInputs&, const ControlInputs&) = default;

private:
    enum Input : uint8_t { HOLD, INT_RESET, INT_START, MRST, CLK };
    struct Entry {
        [[no_unique_address]] T value;  // the input may sit in its tail padding
        Input input;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::optional<T> get(Input input) const {
        for (const Entry& e : present_)
            if (e.input == input) return e.value;
        return std::nullopt;
    }
    void set(Input input, std::optional<T> v) {
        auto at = present_.begin();
        while (at != present_.end() && at->input < input) ++at;
        const bool found = at != present_.end() && at->input == input;
        if (v && found)
            at->value = std::move(*v);
        else if (v)
            present_.insert(at, Entry{std::move(*v), input});
        else if (found)
            present_.erase(at);
    }

    SmallVec<Entry, 2> present_;
};

}  // namespace vorlent
