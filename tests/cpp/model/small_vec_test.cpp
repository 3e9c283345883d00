// SmallVec against std::vector: the same operations give the same lists,
// whether the elements are in place or on the heap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/small_vec.hpp"

using vorlent::SmallVec;

namespace {

using Strings = SmallVec<std::string, 2>;

// Long enough that the strings own heap text, so a lost or doubled element
// shows up under the sanitizers too.
std::string item(int i) { return "element number " + std::to_string(i) + " of the list"; }

TEST(SmallVecTest, BehavesAsAVectorInPlaceAndOnTheHeap) {
    for (int n = 0; n <= 5; ++n) {
        Strings v;
        std::vector<std::string> ref;
        for (int i = 0; i < n; ++i) {
            v.push_back(item(i));
            ref.push_back(item(i));
        }
        EXPECT_EQ(v, ref);
        EXPECT_EQ(v.capacity() > 2, n > 2) << "in place up to two";

        Strings copy = v;
        Strings moved = std::move(copy);
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

TEST(SmallVecTest, MoveAssignmentReplacesEitherStorage) {
    Strings small{item(1)};
    Strings big{item(2), item(3), item(4)};
    small = std::move(big);
    EXPECT_EQ(small, (std::vector<std::string>{item(2), item(3), item(4)}));
    big = Strings{item(5)};
    small = std::move(big);
    EXPECT_EQ(small, std::vector<std::string>{item(5)});
    EXPECT_EQ(small.capacity(), 2u) << "back in place";
}

}  // namespace
