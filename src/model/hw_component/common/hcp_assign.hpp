// The assignable state inside every component record: the update pool and
// the IO mark.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/hw_component/common/update_pool.hpp"

namespace vorlent {

// A component marked as a port of the design: its port name and direction
// (set = input, clear = output).
struct IoMark {
    std::string io_name;
    bool is_input = false;

    friend bool operator==(const IoMark&, const IoMark&) = default;
};

struct HcpAssign {
    UpdatePool update_pool;
    // Few components are ports: the mark is held apart and replaced whole,
    // never changed in place.
    std::unique_ptr<const IoMark> io_mark;

    HcpAssign() = default;
    HcpAssign(HcpAssign&&) noexcept = default;
    HcpAssign& operator=(HcpAssign&&) noexcept = default;
    HcpAssign(const HcpAssign& o)
        : update_pool(o.update_pool), io_mark(o.io_mark ? new IoMark(*o.io_mark) : nullptr) {}
    HcpAssign& operator=(const HcpAssign& o) {
        if (this != &o) *this = HcpAssign(o);
        return *this;
    }
};

}  // namespace vorlent
