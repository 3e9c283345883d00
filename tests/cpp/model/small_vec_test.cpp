// SmallVec against std::vector: the same operations give the same lists,
// whether the elements are in place or on the heap.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/small_vec.hpp"

using vorlent::SmallVec;

namespace {

template <uint32_t N>
using Strings = SmallVec<std::string, N>;

// Long enough that the strings own heap text, so a lost or doubled element
// shows up under the sanitizers too.
std::string item(int i) { return "element number " + std::to_string(i) + " of the list"; }

template <uint32_t N>
void behaves_as_a_vector() {
    for (int n = 0; n <= 5; ++n) {
        Strings<N> v;
        std::vector<std::string> ref;
        for (int i = 0; i < n; ++i) {
            v.push_back(item(i));
            ref.push_back(item(i));
        }
        EXPECT_EQ(v, ref);
        EXPECT_EQ(v.capacity() > N, n > int(N)) << "in place up to N";
        EXPECT_LE(v.capacity(), std::max<size_t>(N, size_t(n) * 3 / 2 + 1))
            << "short lists stay close to their size";

        Strings<N> copy = v;
        Strings<N> moved = std::move(copy);
        EXPECT_TRUE(copy.empty());
        EXPECT_EQ(moved, ref);
        copy = moved;
        EXPECT_EQ(copy, ref);

        if (n > 0) {
            // Appending an element of the list itself while it grows.
            v.push_back(v.front());
            ref.push_back(ref.front());
            v.erase(v.begin());
            ref.erase(ref.begin());
            v.insert(v.begin() + 1, "inserted");
            ref.insert(ref.begin() + 1, "inserted");
        }
        v.resize(3, "fill");
        ref.resize(3, "fill");
        EXPECT_EQ(v, ref);
        EXPECT_EQ(std::vector<std::string>(v.rbegin(), v.rend()),
                  std::vector<std::string>(ref.rbegin(), ref.rend()));
        EXPECT_THROW(v.at(3), std::out_of_range);
    }
}

TEST(SmallVecTest, BehavesAsAVectorInPlaceAndOnTheHeap) {
    behaves_as_a_vector<0>();
    behaves_as_a_vector<2>();
}

TEST(SmallVecTest, MoveAssignmentReplacesEitherStorage) {
    Strings<2> small{item(1)};
    Strings<2> big{item(2), item(3), item(4)};
    small = std::move(big);
    EXPECT_EQ(small, (std::vector<std::string>{item(2), item(3), item(4)}));
    big = Strings<2>{item(5)};
    small = std::move(big);
    EXPECT_EQ(small, std::vector<std::string>{item(5)});
    EXPECT_EQ(small.capacity(), 2u) << "back in place";
}

}  // namespace
