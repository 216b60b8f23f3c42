#include "ui/actions/NControl.h"

#include <QKeySequence>

#include <gtest/gtest.h>

namespace {

TNEAcceleratorKeys KeysOf(const char* Letters)
{
    TNEAcceleratorKeys keys;
    for (const char* letter = Letters; *letter; ++letter)
        keys.set(std::size_t(static_cast<unsigned char>(*letter)));
    return keys;
}

TNEAcceleratorKeys AlphabetWithout(const char* Letters)
{
    return InitAcceleratorKeys() & ~KeysOf(Letters);
}

} // namespace

TEST(NAccelerator, AlphabetHoldsDigitsAndUpperCaseLetters)
{
    EXPECT_EQ(InitAcceleratorKeys(), KeysOf("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
}

TEST(NAccelerator, AssignAcceleratorKeepsTheFirstFreeMarkOrMarksTheFirstFreeLetter)
{
    struct Case
    {
        const char* Caption;
        const char* Taken;
        const char* Expected;
        const char* TakenAfter;
    };
    const Case cases[] = {
        {"Open...", "", "&Open...", "O"},
        {"open", "", "&open", "O"},          // letters compare by upper case
        {"&Edit...", "E", "E&dit...", "ED"}, // its own letter is taken: the mark moves to the next free one
        {"C&lose", "", "C&lose", "L"},       // its own free letter stays
        {"C&lose", "CL", "Cl&ose", "CLO"},
        {"&a&b", "", "&ab", "A"}, // every further "&" goes
        {"&&x", "", "&&&x", "X"}, // "&&" is a literal ampersand: it stays, and x gets the mark
        {"a&&&b", "A", "a&&&b", "AB"},
        {"Save && Close", "", "&Save && Close", "S"},
        {"&&", "", "&&", ""},
        {"Save&", "", "&Save", "S"}, // a trailing "&" is always removed
        {"Page &Up", "", "Page &Up", "U"},
        {"... 2", "", "... &2", "2"},
        {"Ωmega", "", "Ω&mega", "M"}, // a character beyond the 8-bit codes never matches
        {"", "", "", ""},
    };
    for (const Case& test : cases) {
        TNEAcceleratorKeys free = AlphabetWithout(test.Taken);
        EXPECT_EQ(AssignAccelerator(QString::fromUtf8(test.Caption), free), QString::fromUtf8(test.Expected))
            << test.Caption;
        EXPECT_EQ(free, AlphabetWithout(test.TakenAfter)) << test.Caption;
    }
}

TEST(NAccelerator, AssignAcceleratorGivesNoMarkOnceEveryLetterIsTaken)
{
    TNEAcceleratorKeys free = InitAcceleratorKeys();
    for (int i = 0; i < 36; ++i)
        AssignAccelerator(QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), free);
    EXPECT_TRUE(free.none());
    EXPECT_EQ(AssignAccelerator(QStringLiteral("&Delete"), free), QStringLiteral("Delete"));
}

TEST(NAccelerator, AcceleratorOfIsAltWithTheLetterAfterTheFirstMark)
{
    struct Case
    {
        const char* Caption;
        TNEShortCut Expected;
    };
    const Case cases[] = {
        {"&Open", ShortCut('O', scAlt)},
        {"C&lose", ShortCut('L', scAlt)},
        {"e&xit", ShortCut('X', scAlt)},
        {"&1 file", ShortCut('1', scAlt)},
        {"&&x", 0}, // a literal ampersand, no mark
        {"A&&&B", ShortCut('B', scAlt)},
        {"&-", 0},   // not Alt+Ins, whose key code is that of "-"
        {"&&Up", 0}, // not Alt+Up, whose key code is that of "&"
        {"Save&", 0},
        {"&", 0},
        {"No mark", 0},
        {"&Ωmega", 0},
        {"", 0},
    };
    for (const Case& test : cases)
        EXPECT_EQ(AcceleratorOf(QString::fromUtf8(test.Caption)), test.Expected) << test.Caption;
}

TEST(NAccelerator, CollectAcceleratorKeysTakesTheKeyOfEveryMarkedCaption)
{
    const QStringList captions = {QStringLiteral("&Open"), QStringLiteral("C&lose"), QStringLiteral("Plain"),
                                  QStringLiteral("&9")};
    EXPECT_EQ(CollectAcceleratorKeys(captions), KeysOf("OL9"));
}

// For every caption, the letter AssignAccelerator takes is the one the windows' Alt+letter routing finds, the one
// CollectAcceleratorKeys reports and the one Qt reads (and so underlines) in the assigned caption.
TEST(NAccelerator, TheAssignedLetterIsTheOneEveryReaderFinds)
{
    const char* captions[] = {"&&Save && Close", "Open...", "&&&x",           "a&&b", "Page &Up", "&&",
                              "E&xit",           "C&&&l",   "Pick & &choose", "&1&2", "Trailing&"};
    TNEAcceleratorKeys free = InitAcceleratorKeys();
    for (const char* caption : captions) {
        const TNEAcceleratorKeys before = free;
        const QString assigned = AssignAccelerator(QString::fromUtf8(caption), free);
        const TNEAcceleratorKeys taken = before & ~free;
        const TNEShortCut accelerator = AcceleratorOf(assigned);
        const std::string context = std::string(caption) + " -> " + assigned.toStdString();
        ASSERT_LE(taken.count(), 1u) << context;
        EXPECT_EQ(accelerator, AcceleratorShortCut(assigned)) << context;
        EXPECT_EQ(CollectAcceleratorKeys({assigned}), taken) << context;
        EXPECT_EQ(QKeySequence::mnemonic(assigned),
                  accelerator ? QKeySequence(Qt::ALT | QtKeyFromKeyCode(ShortCutKey(accelerator))) : QKeySequence())
            << context;
    }
}

TEST(NAccelerator, StripHotKeyShowsTheCaptionWithoutItsMarks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"&Open", "Open"}, {"C&lose", "Close"}, {"Save && Close", "Save & Close"}, {"Save&", "Save"}, {"", ""},
    };
    for (const auto& [caption, expected] : cases)
        EXPECT_EQ(StripHotKey(QString::fromUtf8(caption)), QString::fromUtf8(expected)) << caption;
}
