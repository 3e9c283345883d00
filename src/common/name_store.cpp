#include "common/name_store.hpp"

#include <atomic>
#include <cstdint>

namespace vorlent {

namespace {
std::atomic<uint64_t> NEXT_STORE_SERIAL{1};
thread_local NameStore* CURRENT_STORE = nullptr;
constexpr size_t CHUNK_BYTES = 64 * 1024;
}  // namespace

NameStore::NameStore() : serial_(NEXT_STORE_SERIAL.fetch_add(1, std::memory_order_relaxed)) {}

void* NameStore::allocate(size_t bytes, size_t align) {
    const size_t pad = (align - reinterpret_cast<uintptr_t>(free_) % align) % align;
    if (pad + bytes > left_) {
        chunks_.push_back(std::make_unique<char[]>(CHUNK_BYTES));
        free_ = chunks_.back().get();
        left_ = CHUNK_BYTES;
        return allocate(bytes, align);
    }
    void* out = free_ + pad;
    free_ += pad + bytes;
    left_ -= pad + bytes;
    return out;
}

NameStoreScope::NameStoreScope(NameStore* store) : previous_(CURRENT_STORE) {
    CURRENT_STORE = store;
}
NameStoreScope::~NameStoreScope() { CURRENT_STORE = previous_; }
NameStore* current_name_store() { return CURRENT_STORE; }

}  // namespace vorlent
