#pragma once

#include <QFont>
#include <QString>

namespace tmq {

// The family of the window's default font: the free "MS Sans Serif" bitmap
// font from the compatibility layer's font package when it is installed,
// otherwise the system's general font family; on a scaled (high-DPI) screen
// the scalable arialFamily().
QString dialogFontFamily();

// "Arial" when installed, otherwise its metric-compatible "Liberation Sans".
QString arialFamily();

// The window's default font: the dialog family at 8 points.
QFont dialogFont();

// Whether bold text in the font looks like regular text, as with bitmap
// fonts, which have no bold form and are not emboldened by the font engine.
bool lacksBoldFace(const QFont& font);

// The font of the two headings: Arial, 12 points (16 pixels), bold.
QFont headingFont();

} // namespace tmq
