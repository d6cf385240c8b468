#pragma once

#include <QIcon>

namespace tto::app {

// The glyphs of the standard bitmap buttons, drawn here rather than shipped as images:
// the check mark of an OK button and the door of a close button, 18 x 18 pixels.
QIcon CheckMarkGlyph();
QIcon DoorGlyph();

inline constexpr int kGlyphSize = 18;

}  // namespace tto::app
