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

int Quadruple(int value)
{
    return 4 * value;
}

struct TShape
{
    virtual ~TShape() = default;
    virtual int Area(int side) { return side; }
    virtual int Edges(int) { return 0; }
};

struct TSquare : TShape
{
    int Area(int side) override { return side * side; }
};

struct TLabel
{
    int Length = 1;
    int Widen(int by) { return Length + by; }
};

// A second base sits at an offset inside the object: its members need the instance adjusted.
struct TLabelledSquare : TSquare, TLabel
{};

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
    using TAreaMethod = TNEMethod<int(int)>;
    const struct
    {
        const char* Name;
        TAreaMethod Left;
        TAreaMethod Right;
        bool IsSame;
    } cases[] = {
        {"one virtual function", {shape, &TShape::Area}, {shape, &TShape::Area}, true},
        {"two virtual functions", {shape, &TShape::Area}, {shape, &TShape::Edges}, false},
        {"one virtual function of two instances", {shape, &TShape::Area}, {otherShape, &TShape::Area}, false},
        {"a member of the second base", {label, &TLabel::Widen}, {label, &TLabel::Widen}, true},
        {"one plain function", TAreaMethod(&Triple), TAreaMethod(&Triple), true},
        {"two plain functions", TAreaMethod(&Triple), TAreaMethod(&Quadruple), false},
        {"a plain function and none", TAreaMethod(&Triple), {}, false},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(SameMethod(example.Left, example.Right), example.IsSame) << example.Name;
        EXPECT_EQ(SameMethod(example.Right, example.Left), example.IsSame) << example.Name;
        const TAreaMethod copy = example.Left;
        EXPECT_TRUE(SameMethod(copy, example.Left)) << example.Name;
    }

    EXPECT_EQ(TAreaMethod(shape, &TShape::Area)(3), 9) << "the override runs";
    EXPECT_EQ(TAreaMethod(label, &TLabel::Widen)(2), 3) << "the second base's member sees its own fields";
}
