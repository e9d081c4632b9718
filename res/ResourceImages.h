#pragma once

#include <QImage>
#include <QString>

// Numeric IDs of the program's bitmaps and icon. The digit images are indexed by
// FirstDigitImage + index (0 to 9 the digits, then blank, point, colon, minus, plus).
namespace ResourceId {
inline constexpr int MainIcon = 128;
inline constexpr int FirstDigitImage = 131;
inline constexpr int DigitImageCount = 15;
inline constexpr int LampLit = 149;
inline constexpr int LampHalfLit = 150;
inline constexpr int LampDark = 151;
inline constexpr int HelpImage = 152;
} // namespace ResourceId

// Qt resource path of image `id`; empty for an ID that names no image.
QString ResourceImagePath(int id);

// The image of `id`; a null image for an ID that names no image.
QImage LoadResourceImage(int id);
