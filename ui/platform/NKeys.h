#pragma once

#include <QString>
#include <QtGlobal>

class QKeyEvent;

// A shortcut packs a key code (low byte) and modifier bits into 16 bits, so windows can compare and store keys as
// plain numbers. Key codes follow the classic desktop virtual-key numbering: letters and digits are their
// upper-case ASCII codes.
using TNEShortCut = quint16;
using TNEKeyCode = quint8;

constexpr TNEShortCut scShift = 0x2000;
constexpr TNEShortCut scCtrl = 0x4000;
constexpr TNEShortCut scAlt = 0x8000;
constexpr TNEShortCut scModifiers = scShift | scCtrl | scAlt;

constexpr TNEKeyCode vkBackspace = 0x08;
constexpr TNEKeyCode vkTab = 0x09;
constexpr TNEKeyCode vkEnter = 0x0D;
constexpr TNEKeyCode vkEscape = 0x1B;
constexpr TNEKeyCode vkSpace = 0x20;
constexpr TNEKeyCode vkPageUp = 0x21;
constexpr TNEKeyCode vkPageDown = 0x22;
constexpr TNEKeyCode vkEnd = 0x23;
constexpr TNEKeyCode vkHome = 0x24;
constexpr TNEKeyCode vkLeft = 0x25;
constexpr TNEKeyCode vkUp = 0x26;
constexpr TNEKeyCode vkRight = 0x27;
constexpr TNEKeyCode vkDown = 0x28;
constexpr TNEKeyCode vkInsert = 0x2D;
constexpr TNEKeyCode vkDelete = 0x2E;
constexpr TNEKeyCode vkF1 = 0x70;
constexpr TNEKeyCode vkF12 = 0x7B;

constexpr TNEShortCut ShortCut(TNEKeyCode Key, TNEShortCut Modifiers = 0)
{
    return static_cast<TNEShortCut>(Key | (Modifiers & scModifiers));
}
constexpr TNEKeyCode ShortCutKey(TNEShortCut Value)
{
    return static_cast<TNEKeyCode>(Value & 0xFF);
}
constexpr TNEShortCut ShortCutModifiers(TNEShortCut Value)
{
    return Value & scModifiers;
}

// The key code of a Qt key, 0 for a key the windows do not use. Return and the keypad's Enter are both Enter.
TNEKeyCode KeyCodeFromQtKey(int QtKey);
// The Qt key of a key code, or 0 when the code has none.
int QtKeyFromKeyCode(TNEKeyCode Key);

TNEShortCut ModifiersFromQt(Qt::KeyboardModifiers Modifiers);
Qt::KeyboardModifiers QtModifiersFromShortCut(TNEShortCut Value);

// The shortcut of a key event, 0 when its key is not one of ours. Backtab arrives as Shift+Tab; the keypad modifier
// does not count. Letters and digits do not depend on the keyboard layout: a key the active layout gives no Latin
// letter or digit (a Cyrillic or Greek letter, an AZERTY digit key) counts as the letter or digit at its place on a
// US keyboard, so Ctrl+O and Alt+letter work whatever layout is active.
TNEShortCut ShortCutFromKeyEvent(const QKeyEvent& Event);

// The text of a shortcut for hints and menus: "Shift+Ctrl+Alt+" then the key name ("Ctrl+O", "Shift+Alt+Home").
// Empty for 0 or a key code without a name.
QString ShortCutToText(TNEShortCut Value);

// The one reading of accelerator marks, shared by the windows' Alt+letter routing, the action captions and Qt's
// underlining: "&&" is a literal ampersand, and the accelerator is the character after the first other "&"
// (an "&" at the very end marks nothing). Returns that character's index, -1 when the caption has none.
qsizetype AcceleratorIndex(const QString& Caption);
// The key code of a character as an accelerator: a digit or a letter "A" to "Z" ("a" to "z" folded to upper case);
// 0 for any other character.
TNEKeyCode AcceleratorKeyCode(QChar Character);
// Alt plus the key of the accelerator character of a caption; 0 when it has none or it is not a letter or digit.
TNEShortCut AcceleratorShortCut(const QString& Caption);
