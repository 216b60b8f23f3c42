#include "ui/platform/NKeys.h"

#include <QKeyEvent>

#include <array>
#include <string_view>

namespace {

struct NamedKey
{
    Qt::Key QtKey;
    TNEKeyCode Code;
    const char* Name;
};

// Every non-character key the windows use, with its Qt key and its name in shortcut texts. Letters, digits and
// the function keys follow from their ranges.
constexpr std::array NamedKeys = {
    NamedKey{Qt::Key_Backspace, vkBackspace, "BkSp"},
    NamedKey{Qt::Key_Tab, vkTab, "Tab"},
    NamedKey{Qt::Key_Return, vkEnter, "Enter"},
    NamedKey{Qt::Key_Escape, vkEscape, "Esc"},
    NamedKey{Qt::Key_Space, vkSpace, "Space"},
    NamedKey{Qt::Key_PageUp, vkPageUp, "PgUp"},
    NamedKey{Qt::Key_PageDown, vkPageDown, "PgDn"},
    NamedKey{Qt::Key_End, vkEnd, "End"},
    NamedKey{Qt::Key_Home, vkHome, "Home"},
    NamedKey{Qt::Key_Left, vkLeft, "Left"},
    NamedKey{Qt::Key_Up, vkUp, "Up"},
    NamedKey{Qt::Key_Right, vkRight, "Right"},
    NamedKey{Qt::Key_Down, vkDown, "Down"},
    NamedKey{Qt::Key_Insert, vkInsert, "Ins"},
    NamedKey{Qt::Key_Delete, vkDelete, "Del"},
};

bool IsLetterOrDigitCode(int Code)
{
    return (Code >= '0' && Code <= '9') || (Code >= 'A' && Code <= 'Z');
}

// The letter and digit rows of the US layout, each from the XKB keycode of its first key.
struct KeyRow
{
    quint32 FirstScanCode;
    std::string_view Keys;
};
constexpr std::array UsKeyRows = {
    KeyRow{10, "1234567890"},
    KeyRow{24, "QWERTYUIOP"},
    KeyRow{38, "ASDFGHJKL"},
    KeyRow{52, "ZXCVBNM"},
};

// The letter or digit at the place of a key on a US keyboard, from the native scan code as xcb and Wayland report
// it (the XKB keycode: the evdev code + 8); 0 for any other place.
TNEKeyCode UsKeyCodeFromScanCode(quint32 ScanCode)
{
    for (const KeyRow& row : UsKeyRows) {
        if (ScanCode >= row.FirstScanCode && ScanCode - row.FirstScanCode < row.Keys.size())
            return static_cast<TNEKeyCode>(row.Keys[ScanCode - row.FirstScanCode]);
    }
    return 0;
}

} // namespace

TNEKeyCode KeyCodeFromQtKey(int QtKey)
{
    if (QtKey == Qt::Key_Enter)
        return vkEnter;
    if (IsLetterOrDigitCode(QtKey)) // Qt numbers these keys by their upper-case ASCII codes too
        return static_cast<TNEKeyCode>(QtKey);
    if (QtKey >= Qt::Key_F1 && QtKey <= Qt::Key_F12)
        return static_cast<TNEKeyCode>(vkF1 + (QtKey - Qt::Key_F1));
    for (const NamedKey& key : NamedKeys) {
        if (key.QtKey == QtKey)
            return key.Code;
    }
    return 0;
}

int QtKeyFromKeyCode(TNEKeyCode Key)
{
    if (IsLetterOrDigitCode(Key))
        return Key;
    if (Key >= vkF1 && Key <= vkF12)
        return Qt::Key_F1 + (Key - vkF1);
    for (const NamedKey& key : NamedKeys) {
        if (key.Code == Key)
            return key.QtKey;
    }
    return 0;
}

TNEShortCut ModifiersFromQt(Qt::KeyboardModifiers Modifiers)
{
    TNEShortCut result = 0;
    if (Modifiers & Qt::ShiftModifier)
        result |= scShift;
    if (Modifiers & Qt::ControlModifier)
        result |= scCtrl;
    if (Modifiers & Qt::AltModifier)
        result |= scAlt;
    return result;
}

Qt::KeyboardModifiers QtModifiersFromShortCut(TNEShortCut Value)
{
    Qt::KeyboardModifiers result;
    if (Value & scShift)
        result |= Qt::ShiftModifier;
    if (Value & scCtrl)
        result |= Qt::ControlModifier;
    if (Value & scAlt)
        result |= Qt::AltModifier;
    return result;
}

TNEShortCut ShortCutFromKeyEvent(const QKeyEvent& Event)
{
    const TNEShortCut modifiers = ModifiersFromQt(Event.modifiers());
    if (Event.key() == Qt::Key_Backtab)
        return ShortCut(vkTab, modifiers | scShift);
    TNEKeyCode key = KeyCodeFromQtKey(Event.key());
    if (key == 0)
        key = UsKeyCodeFromScanCode(Event.nativeScanCode());
    return key == 0 ? 0 : ShortCut(key, modifiers);
}

QString ShortCutToText(TNEShortCut Value)
{
    const TNEKeyCode key = ShortCutKey(Value);
    QString name;
    if (IsLetterOrDigitCode(key))
        name = QChar(key);
    else if (key >= vkF1 && key <= vkF12)
        name = QStringLiteral("F%1").arg(key - vkF1 + 1);
    else {
        for (const NamedKey& named : NamedKeys) {
            if (named.Code == key)
                name = QString::fromLatin1(named.Name);
        }
    }
    if (name.isEmpty())
        return {};
    QString prefix;
    if (Value & scShift)
        prefix += QStringLiteral("Shift+");
    if (Value & scCtrl)
        prefix += QStringLiteral("Ctrl+");
    if (Value & scAlt)
        prefix += QStringLiteral("Alt+");
    return prefix + name;
}

qsizetype AcceleratorIndex(const QString& Caption)
{
    for (qsizetype i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != u'&')
            continue;
        if (Caption[i + 1] != u'&')
            return i + 1;
        ++i; // a literal ampersand
    }
    return -1;
}

TNEKeyCode AcceleratorKeyCode(QChar Character)
{
    const char16_t code = Character.unicode();
    const int folded = (code >= u'a' && code <= u'z') ? code - (u'a' - u'A') : code;
    return IsLetterOrDigitCode(folded) ? static_cast<TNEKeyCode>(folded) : 0;
}

TNEShortCut AcceleratorShortCut(const QString& Caption)
{
    const qsizetype index = AcceleratorIndex(Caption);
    const TNEKeyCode key = index < 0 ? 0 : AcceleratorKeyCode(Caption[index]);
    return key == 0 ? 0 : ShortCut(key, scAlt);
}
