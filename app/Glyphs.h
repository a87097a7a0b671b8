#pragma once

#include "window/WindowLayout.h"

#include <QIcon>
#include <QPixmap>

namespace tmq {

// Side of the square button pictures, in pixels.
inline constexpr int kGlyphSize = layout::kGlyphSize;

// The green tick of the two "Aceptar" buttons.
QPixmap tickPixmap();

// The open door of the "Salir" button.
QPixmap openDoorPixmap();

// The greyed, embossed form of a picture shown on a disabled button.
QPixmap disabledPixmap(const QPixmap& picture);

// A button icon holding the picture and its disabled form.
QIcon buttonIcon(const QPixmap& picture);

} // namespace tmq
