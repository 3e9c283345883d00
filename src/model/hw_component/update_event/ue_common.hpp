// What every update event has in common: its priority, sub-priority, clock
// mode and clock source, and the two interfaces through which events are
// read and handled while taken out of their arenas.
#pragma once

#include <optional>
#include <vector>

#include "model/controller/clock_mode.hpp"
#include "model/hw_component/common/hcp_dep.hpp"
#include "model/hw_component/common/hcp_ident.hpp"
#include "model/hw_component/update_event/update_event_ident.hpp"

namespace vorlent {

class ModelArena;

struct UeCommon {
    OptIdent<HcpIdent> clk_src_i;
    uint64_t sub_priority = 0;  // 0 for every event the system makes
    int32_t priority = 0;       // lower sorts first in a pool
    UeType ue_type = UeType::Basic;
    ClockMode clk_mode = ClockMode::PosEdge;

    friend bool operator==(const UeCommon&, const UeCommon&) = default;
};

class HasUeCommon {
public:
    virtual ~HasUeCommon() = default;
    virtual const UeCommon& get_ue_common() const = 0;
    virtual UeCommon& get_ue_common_mut() = 0;
};

class UpdatingEvent : public HasUeCommon {
public:
    UeType get_type() const { return get_ue_common().ue_type; }
    int32_t get_priority() const { return get_ue_common().priority; }
    uint64_t get_sub_priority() const { return get_ue_common().sub_priority; }
    ClockMode get_clk_mode() const { return get_ue_common().clk_mode; }
    std::optional<HcpIdent> get_clk_src_i() const { return get_ue_common().clk_src_i; }

    // Whether two events may be folded into one: same priority, same clock
    // mode and the same clock source (or none on both). The sub-priority
    // does not take part.
    bool is_joinable(const UpdatingEvent& other) const;

    void set_priority(int32_t p) { get_ue_common_mut().priority = p; }
    void set_sub_priority(uint64_t p) { get_ue_common_mut().sub_priority = p; }
    void set_clk_mode(ClockMode m) { get_ue_common_mut().clk_mode = m; }
    void set_clk_src_i(std::optional<HcpIdent> clk) {
        get_ue_common_mut().clk_src_i = std::move(clk);
    }

    virtual bool is_leaf() const = 0;
    // Adds the signals the event itself reads, not those of its sub-events
    // (gather_dep_hcps_of visits those). A compound event's own clock source
    // is a copy of a member's, so only the members report clock sources.
    virtual void gather_own_dep_hcps(HcpSet& set) const = 0;
    // Renames every signal the event itself reads that is a key of `map`.
    virtual void remap_own_dep_hcps(const HcpMap& map) = 0;
    // Appends the event's direct sub-events (none for a leaf).
    virtual void add_sub_events(std::vector<UpdateEventIdent>&) const {}
    void remap_clk_src(const HcpMap& map) { remap_hcp(get_ue_common_mut().clk_src_i, map); }
};

// The data every event record holds, with the arena plumbing built on it.
class UeRecord : public UpdatingEvent {
public:
    UeCommon common;
    // A kind's own fields may use the identity's padding.
    [[no_unique_address]] UpdateEventIdent ident;

    const UeCommon& get_ue_common() const final { return common; }
    UeCommon& get_ue_common_mut() final { return common; }

    uint64_t arena_global_id() const { return ident.global_id(); }
    ArenaHandle arena_handle() const { return ident.handle(); }
    void set_arena_handle(ArenaHandle h) { ident.set_arena_handle(h); }

protected:
    UeRecord() = default;
    UeRecord(const UeRecord&) = default;
    UeRecord(UeRecord&&) = default;
    UeRecord& operator=(const UeRecord&) = default;
    UeRecord& operator=(UeRecord&&) = default;
};

// An event made of sub-events: a group, a conditional or a switch.
class UeCompoundRecord : public UeRecord {
public:
    bool is_leaf() const final { return false; }
};

}  // namespace vorlent
