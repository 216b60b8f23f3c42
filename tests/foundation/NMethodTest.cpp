#include "foundation/NMethod.h"

#include <gtest/gtest.h>

namespace {

struct Counter
{
    int Total = 0;
    void Add(int amount) { Total += amount; }
    void Subtract(int amount) { Total -= amount; }
    int Doubled(int amount) const { return 2 * amount + Total; }
};

int Triple(int value)
{
    return 3 * value;
}

} // namespace

TEST(NMethod, CallsTheBoundFunctionAndComparesByInstanceAndFunction)
{
    Counter first, second;
    TNEMethod<void(int)> add(&first, &Counter::Add);
    add(5);
    EXPECT_EQ(first.Total, 5);

    EXPECT_TRUE(SameMethod(add, TNEMethod<void(int)>(&first, &Counter::Add)));
    EXPECT_FALSE(SameMethod(add, TNEMethod<void(int)>(&second, &Counter::Add)));
    EXPECT_FALSE(SameMethod(add, TNEMethod<void(int)>(&first, &Counter::Subtract)));
    EXPECT_FALSE(bool(TNEMethod<void(int)>()));
    EXPECT_TRUE(SameMethod(TNEMethod<void(int)>(), TNEMethod<void(int)>()));

    const TNEMethod<int(int)> doubled(&first, &Counter::Doubled);
    EXPECT_EQ(doubled(1), 7);
    const TNEMethod<int(int)> triple(&Triple);
    EXPECT_EQ(triple(4), 12);
    EXPECT_FALSE(SameMethod(doubled, triple));
}
