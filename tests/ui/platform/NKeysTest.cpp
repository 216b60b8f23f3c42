#include "ui/platform/NKeys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

TEST(NKeys, MapsEveryKeyTheWindowsUseBothWaysAndNamesIt)
{
    struct Case
    {
        int QtKey;
        Qt::KeyboardModifiers Modifiers;
        TNEShortCut Expected;
        const char* Text;
    };
    const Qt::KeyboardModifiers none;
    const Case cases[] = {
        {Qt::Key_F1, none, 0x70, "F1"},
        {Qt::Key_F3, none, 0x72, "F3"},
        {Qt::Key_F12, none, 0x7B, "F12"},
        {Qt::Key_F2, Qt::ControlModifier, 0x4071, "Ctrl+F2"},
        {Qt::Key_Insert, none, 0x2D, "Ins"},
        {Qt::Key_Delete, none, 0x2E, "Del"},
        {Qt::Key_Delete, Qt::ControlModifier, 0x402E, "Ctrl+Del"},
        {Qt::Key_Escape, none, 0x1B, "Esc"},
        {Qt::Key_Return, none, 0x0D, "Enter"},
        {Qt::Key_Return, Qt::ControlModifier, 0x400D, "Ctrl+Enter"},
        {Qt::Key_Space, none, 0x20, "Space"},
        {Qt::Key_Backspace, none, 0x08, "BkSp"},
        {Qt::Key_Tab, none, 0x09, "Tab"},
        {Qt::Key_Up, none, 0x26, "Up"},
        {Qt::Key_Down, none, 0x28, "Down"},
        {Qt::Key_Left, none, 0x25, "Left"},
        {Qt::Key_Right, none, 0x27, "Right"},
        {Qt::Key_Home, Qt::ShiftModifier | Qt::AltModifier, 0xA024, "Shift+Alt+Home"},
        {Qt::Key_End, none, 0x23, "End"},
        {Qt::Key_PageUp, none, 0x21, "PgUp"},
        {Qt::Key_PageDown, none, 0x22, "PgDn"},
        {Qt::Key_O, Qt::ControlModifier, 0x404F, "Ctrl+O"},
        {Qt::Key_C, Qt::ControlModifier, 0x4043, "Ctrl+C"},
        {Qt::Key_A, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 0xE041, "Shift+Ctrl+Alt+A"},
        {Qt::Key_Z, none, 0x5A, "Z"},
        {Qt::Key_0, none, 0x30, "0"},
        {Qt::Key_9, Qt::AltModifier, 0x8039, "Alt+9"},
    };
    for (const Case& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.QtKey, c.Modifiers);
        const TNEShortCut shortCut = ShortCutFromKeyEvent(event);
        EXPECT_EQ(shortCut, c.Expected) << c.Text;
        EXPECT_EQ(ShortCutToText(c.Expected).toStdString(), c.Text);
        EXPECT_EQ(QtKeyFromKeyCode(ShortCutKey(shortCut)), c.QtKey) << c.Text;
        EXPECT_EQ(QtModifiersFromShortCut(shortCut), c.Modifiers) << c.Text;
    }
}

TEST(NKeys, FoldsTheKeypadEnterAndBacktabIntoTheirKeys)
{
    struct Case
    {
        int QtKey;
        Qt::KeyboardModifiers Modifiers;
        TNEShortCut Expected;
    };
    const Case cases[] = {
        {Qt::Key_Enter, Qt::KeypadModifier, vkEnter},
        {Qt::Key_Enter, Qt::KeypadModifier | Qt::ControlModifier, ShortCut(vkEnter, scCtrl)},
        {Qt::Key_5, Qt::KeypadModifier, ShortCut('5')},
        {Qt::Key_Backtab, Qt::ShiftModifier, ShortCut(vkTab, scShift)},
        {Qt::Key_Backtab, Qt::NoModifier, ShortCut(vkTab, scShift)},
        {Qt::Key_Shift, Qt::ShiftModifier, 0},
        {Qt::Key_Percent, Qt::NoModifier, 0},
        {Qt::Key_F13, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.QtKey, c.Modifiers);
        EXPECT_EQ(ShortCutFromKeyEvent(event), c.Expected) << std::hex << c.QtKey;
    }
}

// A key event as xcb or Wayland deliver it: the layout's key, and the key's place as its XKB keycode.
TEST(NKeys, LettersAndDigitsAreTheKeysAtTheirUsPlacesWhenTheLayoutHasNoLatinOne)
{
    struct Case
    {
        const char* Layout;
        int QtKey;
        quint32 ScanCode;
        Qt::KeyboardModifiers Modifiers;
        TNEShortCut Expected;
    };
    const Case cases[] = {
        {"Russian \u0429 at O", 0x0429, 32, Qt::ControlModifier, ShortCut('O', scCtrl)},
        {"Russian \u0421 at C", 0x0421, 54, Qt::ControlModifier, ShortCut('C', scCtrl)},
        {"Russian \u042B at S", 0x042B, 39, Qt::ControlModifier, ShortCut('S', scCtrl)},
        {"Russian \u042F at Z", 0x042F, 52, Qt::AltModifier, ShortCut('Z', scAlt)},
        {"Greek \u039F at O", 0x039F, 32, Qt::ControlModifier, ShortCut('O', scCtrl)},
        {"AZERTY & at 1", Qt::Key_Ampersand, 10, Qt::ControlModifier, ShortCut('1', scCtrl)},
        {"German Z at Y: the layout's Latin letter wins", Qt::Key_Z, 29, Qt::ControlModifier, ShortCut('Z', scCtrl)},
        {"Russian F5 keeps its key", Qt::Key_F5, 71, Qt::NoModifier, ShortCut(vkF1 + 4)},
        {"a place without a letter or digit", 0x0416, 47, Qt::ControlModifier, 0},
        {"no scan code", 0x0429, 0, Qt::ControlModifier, 0},
    };
    for (const Case& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.QtKey, c.Modifiers, c.ScanCode, 0, 0);
        EXPECT_EQ(ShortCutFromKeyEvent(event), c.Expected) << c.Layout;
    }
}

TEST(NKeys, EveryKeyCodeWithAQtKeyComesBack)
{
    int mapped = 0;
    for (int code = 0; code < 256; ++code) {
        const int qtKey = QtKeyFromKeyCode(static_cast<TNEKeyCode>(code));
        if (qtKey == 0)
            continue;
        ++mapped;
        EXPECT_EQ(KeyCodeFromQtKey(qtKey), code);
        EXPECT_FALSE(ShortCutToText(static_cast<TNEShortCut>(code)).isEmpty()) << code;
    }
    EXPECT_EQ(mapped, 10 + 26 + 12 + 15) << "digits, letters, function keys and the named keys";
    EXPECT_EQ(ShortCutToText(0), QString());
    EXPECT_EQ(ShortCutToText(ShortCut(0x90, scCtrl)), QString()) << "a key without a name has no text";
}

TEST(NKeys, AcceleratorIsAltAndTheLetterAfterTheFirstAmpersandThatIsNoLiteral)
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
        {"Page D&own", ShortCut('O', scAlt)},
        {"&1 file", ShortCut('1', scAlt)},
        {"A&&B &c", ShortCut('C', scAlt)},
        {"A&&&B", ShortCut('B', scAlt)},
        {"&&x", 0},
        {"Save && quit", 0},
        {"Trailing&", 0},
        {"No letter", 0},
        {"&", 0},
        {"", 0},
        {"&-dash", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AcceleratorShortCut(QString::fromUtf8(c.Caption)), c.Expected) << c.Caption;
    EXPECT_EQ(AcceleratorShortCut(QStringLiteral("&\u00e9t\u00e9")), 0) << "only ASCII letters and digits";
    EXPECT_EQ(AcceleratorIndex(QStringLiteral("A&&&B")), 4);
}
