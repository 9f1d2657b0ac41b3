#pragma once

#include <QIcon>
#include <QString>

// Button glyphs come as strips of two equal cells side by side: the normal image on the left,
// the image for a disabled button on the right. The colour of the strip's bottom-left pixel
// is see-through, so the button face shows wherever the strip has it.
namespace GlyphStrip {
// Normal and Disabled pixmaps of the strip's cells, read when first asked for; an empty
// icon when the strip cannot be read.
QIcon icon(const QString &resourcePath);
} // namespace GlyphStrip
