#pragma once

#include <QFont>

// The program's one typeface. Where the system has no Tahoma, the free clone that ships
// with fonts-wine is loaded; text heights follow the font's Windows metrics (OS/2 table),
// so rows and labels come out as tall as on Windows.
namespace Tahoma {
void ensureLoaded();
QFont font(int pixelHeight, bool bold = false, bool italic = false);
// Height of one line of text as Windows measures it: winAscent + winDescent at the font's size.
int textHeight(const QFont &font);
} // namespace Tahoma
