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

struct TShape
{
    virtual ~TShape() = default;
    virtual int Area(int side) { return side; }
    virtual int Edges(int) { return 0; }
};

// The override runs through a pointer to the base's member; the second base sits at an offset in the object.
struct TLabel
{
    int Length = 1;
    int Widen(int by) { return Length + by; }
};
struct TLabelledSquare : TShape, TLabel
{
    int Area(int side) override { return side * side; }
};

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

TEST(NMethod, ComparesTheFunctionItselfAlsoForVirtualAndInheritedMembers)
{
    TLabelledSquare square, other;
    TShape* shape = &square;
    TShape* otherShape = &other;
    TLabel* label = &square;
    using TArea = TNEMethod<int(int)>;
    const struct
    {
        TArea Left, Right;
        bool IsSame;
    } cases[] = {
        {{shape, &TShape::Area}, {shape, &TShape::Area}, true},
        {{shape, &TShape::Area}, {shape, &TShape::Edges}, false},
        {{shape, &TShape::Area}, {otherShape, &TShape::Area}, false},
        {{label, &TLabel::Widen}, {label, &TLabel::Widen}, true},
        {TArea(&Triple), TArea(&Triple), true},
        {TArea(&Triple), {}, false},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(SameMethod(example.Left, example.Right), example.IsSame) << &example - cases;
        EXPECT_EQ(SameMethod(example.Right, example.Left), example.IsSame) << &example - cases;
    }
    EXPECT_EQ(TArea(shape, &TShape::Area)(3), 9);
    EXPECT_EQ(TArea(label, &TLabel::Widen)(2), 3);
}
