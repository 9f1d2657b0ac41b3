#pragma once

#include <Qt>

// A table model names the field each of its columns shows as horizontal header data in this
// role, so that a view can pick a column by the field's name without knowing the model.
inline constexpr int FieldNameRole = Qt::UserRole + 1;
