// Text that lives as long as one model: large blocks, only ever appended to,
// freed all at once with the store. Identities keep their names here while
// the store is current (see NameStoreScope and IdentBase), so copying and
// freeing them costs nothing beyond the bytes of the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vorlent {

class NameStore {
public:
    // Each store takes a serial number that no other store ever has.
    NameStore();
    NameStore(const NameStore&) = delete;
    NameStore& operator=(const NameStore&) = delete;

    uint64_t serial() const { return serial_; }
    // `bytes` (at most a few hundred) aligned to `align`, valid for the life
    // of the store.
    void* allocate(size_t bytes, size_t align);

private:
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* free_ = nullptr;
    size_t left_ = 0;
    uint64_t serial_;
};

// Makes `store` (or none) the current store of this thread while the scope
// lasts; the one before comes back when it ends.
class NameStoreScope {
public:
    explicit NameStoreScope(NameStore* store);
    ~NameStoreScope();
    NameStoreScope(const NameStoreScope&) = delete;
    NameStoreScope& operator=(const NameStoreScope&) = delete;

private:
    NameStore* previous_;
};

// The current store of this thread, or null.
NameStore* current_name_store();

}  // namespace vorlent
