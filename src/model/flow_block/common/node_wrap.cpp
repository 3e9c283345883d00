#include "model/flow_block/common/node_wrap.hpp"

#include <algorithm>

#include "common/fatal.hpp"
#include "common/text.hpp"

namespace vorlent {

EntryList::EntryList(std::vector<NcpIdent> own, std::vector<EntryList> nested) {
    size_t size = own.size();
    for (const EntryList& n : nested) size += n.size();
    part_ = std::make_shared<Part>(Part{std::move(own), std::move(nested), size});
}

EntryList::~EntryList() {
    if (!part_ || part_.use_count() != 1) return;
    std::vector<std::shared_ptr<Part>> last{std::move(part_)};
    while (!last.empty()) {
        const std::shared_ptr<Part> part = std::move(last.back());
        last.pop_back();
        for (EntryList& n : part->nested)
            if (n.part_ && n.part_.use_count() == 1) last.push_back(std::move(n.part_));
    }
}

size_t EntryList::size() const { return part_ ? part_->size : 0; }

const NcpIdent& EntryList::at(size_t i) const {
    if (i >= size())
        fatal(format("EntryList index {} out of range: the list has {} entries", i, size()));
    auto it = begin();
    std::advance(it, i);
    return *it;
}

EntryList::iterator::iterator(const Part* root) {
    if (root) stack_.push_back(Frame{root, 0});
    settle();
}

EntryList::iterator& EntryList::iterator::operator++() {
    ++stack_.back().next;
    settle();
    return *this;
}

// Moves to the entry the top frame's `next` names, descending into nested
// lists and leaving finished parts; the end when none is left.
void EntryList::iterator::settle() {
    while (!stack_.empty()) {
        Frame& f = stack_.back();
        const size_t own = f.part->own.size();
        if (f.next < own) {
            current_ = &f.part->own[f.next];
            return;
        }
        if (f.next - own < f.part->nested.size()) {
            const Part* inner = f.part->nested[f.next - own].part_.get();
            ++f.next;
            if (inner) stack_.push_back(Frame{inner, 0});
            continue;
        }
        stack_.pop_back();
        // The frame below already points past the list just finished.
    }
    current_ = nullptr;
}

bool operator==(const EntryList& a, const EntryList& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

bool operator==(const EntryList& a, const std::vector<NcpIdent>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

NodeWrap::NodeWrap(EntryList samples, std::optional<NcpIdent> exit, int32_t cycle)
    : samples_(std::move(samples)), exit_(std::move(exit)), cycle_(cycle) {
    if (cycle < IN_CONSIST_CYCLE_USED)
        fatal("assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
}

const NcpIdent& NodeWrap::exit() const {
    if (!exit_) fatal("NodeWrap exit node is not set");
    return *exit_;
}

void NodeWrap::set_made(IdSpan made) {
    const uint64_t count = made.end - made.first;
    made_first_ = made.first;
    made_count_ = count <= UINT32_MAX ? uint32_t(count) : 0;
}

namespace {
void require_some(const std::vector<int32_t>& cycles) {
    if (cycles.empty()) fatal("assertion failed: !self.samples.is_empty()");
}
}  // namespace

int32_t sum_cycles(const std::vector<int32_t>& cycles) {
    require_some(cycles);
    int64_t sum = 0;
    for (int32_t c : cycles) {
        if (c == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
        sum += c;
    }
    // A latency too large for 32 bits is not a fixed latency a parent can use.
    return sum > INT32_MAX ? IN_CONSIST_CYCLE_USED : int32_t(sum);
}

int32_t uniform_cycles(const std::vector<int32_t>& cycles) {
    require_some(cycles);
    const int32_t first = cycles.front();
    if (first == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
    for (int32_t c : cycles)
        if (c != first) return IN_CONSIST_CYCLE_USED;
    return first;
}

}  // namespace vorlent
