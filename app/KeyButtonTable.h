#pragma once

#include <QRect>
#include <QStringView>

#include <array>

namespace vorlin {

inline constexpr int kKeyButtonCount = 126;

// One on-screen key button. Buttons are listed row by row, left to right; a button either
// starts a run at `runLeft` or, with kContinueRun, follows its predecessor after the key gap.
struct KeyButtonSpec {
    int index;           // position in the SetKey array
    QStringView token;   // what a click appends to the focused slot (the button's Tag)
    QStringView caption; // empty: the token is the caption
    int width;           // twips
    int height;          // twips
    int row;             // 0 to 5 keyboard rows, 6 the media row
    int runLeft;         // twips, or kContinueRun
};

inline constexpr int kContinueRun = -1;

extern const std::array<KeyButtonSpec, kKeyButtonCount> kKeyButtons;

// A caption that the window shows on two lines. A single "&" would mark an access key, so an
// ampersand is written "&&".
struct TwoLineCaption {
    int index;
    QStringView top;
    QStringView bottom;
};

inline constexpr int kTwoLineCaptionCount = 35;

// In ascending button index.
extern const std::array<TwoLineCaption, kTwoLineCaptionCount> kTwoLineCaptions;

// Every button's place in twips on the window, by button index, from the run rule.
std::array<QRect, kKeyButtonCount> KeyButtonRectsInTwips();

} // namespace vorlin
