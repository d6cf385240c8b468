#pragma once

#include <QFont>

namespace tto::app {

// The window's fonts are MS Sans Serif 8 pt and Arial 12 pt bold. Where those families are
// not installed, metric-compatible ones stand in (Liberation Sans is Arial's metric twin),
// so every caption fits the place the layout gives it. Sizes are in pixels as at 96 dpi
// (8 pt = 11 px, 12 pt = 16 px) because the layout itself is in pixels.
void InstallFontSubstitutes();

QFont DialogFont();      // MS Sans Serif, 8 pt
QFont PanelTitleFont();  // Arial, 12 pt, bold

}  // namespace tto::app
