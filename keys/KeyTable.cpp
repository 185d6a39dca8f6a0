#include "keys/KeyTable.h"

#include <algorithm>
#include <bitset>
#include <iterator>

namespace vorlin {
namespace {

struct Entry {
    const char *name; // UTF-8
    qint16 code;
};

// Modifiers are 128 + the bit of the HID modifier byte, keyboard keys 136 + the HID usage id;
// mouse and media actions are the pad's own codes. The order is the pad's and must not change.
constexpr Entry kEntries[KeyTable::kEntryCount] = {
    {"L_CTRL", 128},
    {"L_SHIFT", 129},
    {"L_ALT", 130},
    {"L_GUI", 131},
    {"R_CTRL", 132},
    {"R_SHIFT", 133},
    {"R_ALT", 134},
    {"R_GUI", 135},
    {"TAB", 179},
    {"CAPS_LOCK", 193},
    {"BACKSPACE", 178},
    {"RETURN", 176},
    {"MENU", 237},
    {"INSERT", 209},
    {"DELETE", 212},
    {"HOME", 210},
    {"END", 213},
    {"PAGE_UP", 211},
    {"PAGE_DOWN", 214},
    {"UP_ARROW", 218},
    {"DOWN_ARROW", 217},
    {"LEFT_ARROW", 216},
    {"RIGHT_ARROW", 215},
    {"NUM_LOCK", 219},
    {"KP_SLASH", 220},
    {"KP_ASTERISK", 221},
    {"KP_MINUS", 222},
    {"KP_PLUS", 223},
    {"KP_ENTER", 224},
    {"KP_1", 225},
    {"KP_2", 226},
    {"KP_3", 227},
    {"KP_4", 228},
    {"KP_5", 229},
    {"KP_6", 230},
    {"KP_7", 231},
    {"KP_8", 232},
    {"KP_9", 233},
    {"KP_0", 234},
    {"KP_DOT", 235},
    {"ESC", 177},
    {"F1", 194},
    {"F2", 195},
    {"F3", 196},
    {"F4", 197},
    {"F5", 198},
    {"F6", 199},
    {"F7", 200},
    {"F8", 201},
    {"F9", 202},
    {"F10", 203},
    {"F11", 204},
    {"F12", 205},
    {"PRINT_SCREEN", 206},
    {"SCROLL_LOCK", 207},
    {"PAUSE", 208},
    {"单击", 601},
    {"右键单击", 602},
    {"滚轮单击", 603},
    {"后退", 604},
    {"前进", 605},
    {"向上滚动", 606},
    {"向下滚动", 607},
    {"MOUSE_CURSOR_UP", 608},
    {"MOUSE_CURSOR_LEFT", 609},
    {"MOUSE_CURSOR_DOWN", 610},
    {"MOUSE_CURSOR_RIGHT", 611},
    {"下一曲", 501},
    {"上一曲", 502},
    {"停止", 503},
    {"播放/暂停", 504},
    {"静音", 505},
    {"音量加", 506},
    {"音量减", 507},
    {"主页", 508},
    {"我的电脑", 509},
    {"计算器", 510},
    {"书签", 511},
    {"搜索", 512},
    {"浏览器停止", 513},
    {"浏览器后退", 514},
    {"播放器", 515},
    {"邮件", 516},
};

// Every run of three digits in the text, as a number.
std::bitset<1000> ThreeDigitWindows(const QString &text) {
    std::bitset<1000> windows;
    int run = 0;
    int value = 0;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            value = (value * 10 + (c.unicode() - u'0')) % 1000;
            if (++run >= 3)
                windows.set(value);
        } else {
            run = 0;
            value = 0;
        }
    }
    return windows;
}

// The modifier keys' codes: 128 plus the bit of the modifier in the HID modifier byte.
constexpr qint16 kFirstModifierCode = 128;
constexpr qint16 kLastModifierCode = 135;

} // namespace

KeyTable::KeyTable() {
    keyNames.reserve(kEntryCount);
    keyCodes.reserve(kEntryCount);
    for (const Entry &entry : kEntries) {
        keyNames.append(QString::fromUtf8(entry.name));
        keyCodes.append(entry.code);
    }
}

std::optional<qint16> KeyTable::CodeOf(const QString &name) const {
    const qsizetype index = keyNames.indexOf(name);
    if (index < 0)
        return std::nullopt;
    return keyCodes.at(index);
}

bool KeyTable::IsModifier(const QString &token) {
    const QByteArray name = token.toUtf8();
    return std::any_of(std::begin(kEntries), std::end(kEntries), [&](const Entry &entry) {
        return entry.code >= kFirstModifierCode && entry.code <= kLastModifierCode &&
               name == entry.name;
    });
}

QString KeyTable::TokenToWire(const QString &token) const {
    const std::optional<qint16> code = CodeOf(token);
    return code ? QString::number(*code) : token;
}

QString KeyTable::CodesToNames(QString text) const {
    // Entry k works on the text as entries 0 to k - 1 left it. An entry whose code is not among
    // the text's three-digit windows has nothing to replace, so only the codes present cost a
    // pass. A name may end in digits ("F10", "KP_6") that join the digits after it into a new
    // window, so the windows are taken again after every replacement.
    std::bitset<1000> windows = ThreeDigitWindows(text);
    for (qsizetype k = 0; k < keyNames.size() && windows.any(); ++k) {
        if (!windows.test(keyCodes.at(k)))
            continue;
        text.replace(QString::number(keyCodes.at(k)), keyNames.at(k));
        windows = ThreeDigitWindows(text);
    }
    return text;
}

} // namespace vorlin
