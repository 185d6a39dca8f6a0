#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace vorlin {

// The window's geometry is written in twips; this is the one place that turns them into
// logical pixels (high-DPI scaling is left to Qt).
inline constexpr int kTwipsPerPixel = 15;

constexpr int Twips(int twips) {
    const int half = kTwipsPerPixel / 2;
    return twips >= 0 ? (twips + half) / kTwipsPerPixel : -((-twips + half) / kTwipsPerPixel);
}

constexpr QPoint TwipsPoint(int left, int top) {
    return {Twips(left), Twips(top)};
}

constexpr QSize TwipsSize(int width, int height) {
    return {Twips(width), Twips(height)};
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsPoint(left, top), TwipsSize(width, height)};
}

} // namespace vorlin
