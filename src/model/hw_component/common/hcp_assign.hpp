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
    // Few components are ports: the mark is held apart, shared by copies and
    // replaced whole, never changed in place.
    std::shared_ptr<const IoMark> io_mark;
};

}  // namespace vorlent
