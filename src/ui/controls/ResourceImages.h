#pragma once

#include <QImage>
#include <QPixmap>
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

// The image of `id`; a null image for an ID that names no image.
QImage LoadResourceImage(int id);

// The image file of a numeric bitmap ID as the controls' Assign...Ids take it: the low 16 bits
// are the resource number. 0 gives an empty path (no image wanted); an ID that names no image
// gives a path that fails to load.
QString BitmapPathForId(uint id);

// Loads `path` into `pixmap`. An empty path leaves the pixmap empty and fails only when the
// image is required.
bool LoadBitmap(QPixmap &pixmap, const QString &path, bool required);
