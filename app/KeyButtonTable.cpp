#include "app/KeyButtonTable.h"

namespace vorlin {
namespace {

constexpr int kKeyGap = 105;       // twips between one button's right edge and the next's left
constexpr int kFirstRowTop = 4800; // twips
constexpr int kRowStep = 600;      // twips
constexpr int kW = 495;            // default button width and height, twips
constexpr int kTall = 1095;        // keypad + and Enter span two rows
constexpr int kGo = kContinueRun;

} // namespace

// Captions of the two-line buttons are set at start-up (kTwoLineCaptions); the ones here are
// what those buttons show before.
const std::array<KeyButtonSpec, kKeyButtonCount> kKeyButtons = {{
    // Function row.
    {0, u"ESC", u"", kW, kW, 0, 240},
    {1, u"F1", u"", kW, kW, 0, kGo},
    {2, u"F2", u"", kW, kW, 0, kGo},
    {3, u"F3", u"", kW, kW, 0, kGo},
    {4, u"F4", u"", kW, kW, 0, kGo},
    {5, u"F5", u"", kW, kW, 0, kGo},
    {6, u"F6", u"", kW, kW, 0, kGo},
    {7, u"F7", u"", kW, kW, 0, kGo},
    {8, u"F8", u"", kW, kW, 0, kGo},
    {9, u"F9", u"", kW, kW, 0, kGo},
    {10, u"F10", u"", kW, kW, 0, kGo},
    {11, u"F11", u"", kW, kW, 0, kGo},
    {12, u"F12", u"", kW, kW, 0, kGo},
    {73, u"PRINT_SCREEN", u"Prt", kW, kW, 0, 8760},
    {74, u"SCROLL_LOCK", u"Scrol", 615, kW, 0, kGo},
    {75, u"PAUSE", u"Paus", 615, kW, 0, kGo},
    // Digit row, navigation and keypad top.
    {13, u"`", u"", kW, kW, 1, 240},
    {14, u"1", u"", kW, kW, 1, kGo},
    {15, u"2", u"", kW, kW, 1, kGo},
    {16, u"3", u"", kW, kW, 1, kGo},
    {17, u"4", u"", kW, kW, 1, kGo},
    {18, u"5", u"", kW, kW, 1, kGo},
    {19, u"6", u"", kW, kW, 1, kGo},
    {20, u"7", u"", kW, kW, 1, kGo},
    {21, u"8", u"", kW, kW, 1, kGo},
    {22, u"9", u"", kW, kW, 1, kGo},
    {23, u"0", u"", kW, kW, 1, kGo},
    {24, u"-", u"", kW, kW, 1, kGo},
    {25, u"=", u"", kW, kW, 1, kGo},
    {26, u"BACKSPACE", u"Bksp", 615, kW, 1, kGo},
    {76, u"INSERT", u"Ins", kW, kW, 1, kGo},
    {77, u"HOME", u"Home", 615, kW, 1, kGo},
    {78, u"PAGE_UP", u"Page", 615, kW, 1, kGo},
    {86, u"NUM_LOCK", u"Num", 615, kW, 1, kGo},
    {87, u"KP_SLASH", u"/", kW, kW, 1, kGo},
    {88, u"KP_ASTERISK", u"*", 615, kW, 1, kGo},
    {89, u"KP_MINUS", u"-", kW, kW, 1, kGo},
    {119, u"单击", u"", 615, kW, 1, 13560},
    {120, u"右键单击", u"", 615, kW, 1, kGo},
    // Upper letter row.
    {27, u"TAB", u"", 615, kW, 2, 240},
    {28, u"q", u"", kW, kW, 2, kGo},
    {29, u"w", u"", kW, kW, 2, kGo},
    {30, u"e", u"", kW, kW, 2, kGo},
    {31, u"r", u"", kW, kW, 2, kGo},
    {32, u"t", u"", kW, kW, 2, kGo},
    {33, u"y", u"", kW, kW, 2, kGo},
    {34, u"u", u"", kW, kW, 2, kGo},
    {35, u"i", u"", kW, kW, 2, kGo},
    {36, u"o", u"", kW, kW, 2, kGo},
    {37, u"p", u"", kW, kW, 2, kGo},
    {38, u"[", u"", kW, kW, 2, kGo},
    {39, u"]", u"", kW, kW, 2, kGo},
    {40, u"\\", u"", kW, kW, 2, kGo},
    {79, u"DELETE", u"Del", kW, kW, 2, kGo},
    {80, u"END", u"End", 615, kW, 2, kGo},
    {81, u"PAGE_DOWN", u"Page", 615, kW, 2, kGo},
    {90, u"KP_7", u"7", 615, kW, 2, kGo},
    {91, u"KP_8", u"8", kW, kW, 2, kGo},
    {92, u"KP_9", u"9", 615, kW, 2, kGo},
    {93, u"KP_PLUS", u"+", kW, kTall, 2, kGo},
    {121, u"滚轮单击", u"", 615, kW, 2, 13560},
    // Home row.
    {41, u"CAPS_LOCK", u"CAPS LOCK", 855, kW, 3, 240},
    {42, u"a", u"", kW, kW, 3, kGo},
    {43, u"s", u"", kW, kW, 3, kGo},
    {44, u"d", u"", kW, kW, 3, kGo},
    {45, u"f", u"", kW, kW, 3, kGo},
    {46, u"g", u"", kW, kW, 3, kGo},
    {47, u"h", u"", kW, kW, 3, kGo},
    {48, u"j", u"", kW, kW, 3, kGo},
    {49, u"k", u"", kW, kW, 3, kGo},
    {50, u"l", u"", kW, kW, 3, kGo},
    {51, u";", u"", kW, kW, 3, kGo},
    {52, u"'", u"", kW, kW, 3, kGo},
    {53, u"RETURN", u"ENTER", 855, kW, 3, kGo},
    {94, u"KP_4", u"4", 615, kW, 3, 10800},
    {95, u"KP_5", u"5", kW, kW, 3, kGo},
    {96, u"KP_6", u"6", 615, kW, 3, kGo},
    {122, u"后退", u"", 615, kW, 3, 13560},
    {123, u"前进", u"", 615, kW, 3, kGo},
    // Lower letter row.
    {54, u"L_SHIFT", u"LShift", 1215, kW, 4, 240},
    {55, u"z", u"", kW, kW, 4, kGo},
    {56, u"x", u"", kW, kW, 4, kGo},
    {57, u"c", u"", kW, kW, 4, kGo},
    {58, u"v", u"", kW, kW, 4, kGo},
    {59, u"b", u"", kW, kW, 4, kGo},
    {60, u"n", u"", kW, kW, 4, kGo},
    {61, u"m", u"", kW, kW, 4, kGo},
    {62, u",", u"", kW, kW, 4, kGo},
    {63, u".", u"", kW, kW, 4, kGo},
    {64, u"/", u"", kW, kW, 4, kGo},
    {65, u"R_SHIFT", u"RShift", 1095, kW, 4, kGo},
    {82, u"UP_ARROW", u"↑", kW, kW, 4, 9360},
    {97, u"KP_1", u"1", 615, kW, 4, 10800},
    {98, u"KP_2", u"2", kW, kW, 4, kGo},
    {99, u"KP_3", u"3", 615, kW, 4, kGo},
    {102, u"KP_ENTER", u"Enter", kW, kTall, 4, kGo},
    {124, u"向上滚动", u"", 615, kW, 4, 13560},
    {125, u"向下滚动", u"", 615, kW, 4, kGo},
    // Bottom row.
    {66, u"L_CTRL", u"LCtrl", 615, kW, 5, 240},
    {67, u"L_GUI", u"LGui", 615, kW, 5, kGo},
    {68, u"L_ALT", u"LAlt", 615, kW, 5, kGo},
    {69, u"KEY_MENU", u"Space", 4095, kW, 5, kGo},
    {70, u"R_ALT", u"RAlt", 615, kW, 5, kGo},
    {71, u"R_GUI", u"RGui", 615, kW, 5, kGo},
    {72, u"R_CTRL", u"RCtrl", 615, kW, 5, kGo},
    {83, u"LEFT_ARROW", u"←", kW, kW, 5, kGo},
    {84, u"DOWN_ARROW", u"↓", kW, kW, 5, kGo},
    {85, u"RIGHT_ARROW", u"→", kW, kW, 5, kGo},
    {100, u"KP_0", u"0", 1215, kW, 5, 10800},
    {101, u"KP_DOT", u".", 615, kW, 5, kGo},
    // Media row.
    {103, u"下一曲", u"", 735, kW, 6, 240},
    {104, u"上一曲", u"", 735, kW, 6, kGo},
    {105, u"停止", u"", 735, kW, 6, kGo},
    {106, u"播放/暂停", u"", 855, kW, 6, kGo},
    {107, u"音量加", u"", 735, kW, 6, kGo},
    {108, u"音量减", u"", 735, kW, 6, kGo},
    {109, u"静音", u"", 735, kW, 6, kGo},
    {110, u"主页", u"", 735, kW, 6, kGo},
    {111, u"我的电脑", u"", 855, kW, 6, kGo},
    {112, u"计算器", u"", 735, kW, 6, kGo},
    {113, u"书签", u"", 735, kW, 6, kGo},
    {114, u"搜索", u"", 735, kW, 6, kGo},
    {115, u"浏览器停止", u"", 735, kW, 6, kGo},
    {116, u"浏览器后退", u"", 735, kW, 6, kGo},
    {117, u"播放器", u"", 735, kW, 6, kGo},
    {118, u"邮件", u"", 735, kW, 6, kGo},
}};

const std::array<TwoLineCaption, kTwoLineCaptionCount> kTwoLineCaptions = {{
    {13, u"~", u"`"},      {14, u"!", u"1"},       {15, u"@", u"2"},    {16, u"#", u"3"},
    {17, u"$", u"4"},      {18, u"%", u"5"},       {19, u"^", u"6"},    {20, u"&&", u"7"},
    {21, u"*", u"8"},      {22, u"(", u"9"},       {23, u")", u"0"},    {24, u"_", u"-"},
    {25, u"+", u"="},      {38, u"{", u"["},       {39, u"}", u"]"},    {40, u"|", u"\\"},
    {51, u":", u";"},      {52, u"\"", u"'"},      {62, u"<", u","},    {63, u">", u"."},
    {64, u"?", u"/"},      {74, u"Scrl", u"Lock"}, {78, u"Pg", u"Up"},  {81, u"Pg", u"Down"},
    {86, u"Num", u"Lock"}, {90, u"7", u"Home"},    {91, u"8", u"↑"},    {92, u"9", u"PgUp"},
    {94, u"4", u"←"},      {96, u"6", u"→"},       {97, u"1", u"End"},  {98, u"2", u"↓"},
    {99, u"3", u"PgDn"},   {100, u"0", u"Ins"},    {101, u".", u"Del"},
}};

std::array<QRect, kKeyButtonCount> KeyButtonRectsInTwips() {
    std::array<QRect, kKeyButtonCount> rects{};
    int left = 0;
    for (const KeyButtonSpec &key : kKeyButtons) {
        if (key.runLeft != kContinueRun)
            left = key.runLeft;
        rects.at(key.index) = QRect(left, kFirstRowTop + key.row * kRowStep, key.width, key.height);
        left += key.width + kKeyGap;
    }
    return rects;
}

} // namespace vorlin
