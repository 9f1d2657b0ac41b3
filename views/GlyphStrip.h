#pragma once
#include <QIcon>
class GlyphStrip { public: static QIcon icon(const QString &path); };
