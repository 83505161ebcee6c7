#pragma once

#include <Qt>

namespace tallyport {

// The kind of a grid column's field, as a model reports it through header data with
// FieldKindRole (the enum value as an int); the grid layout takes a column's default width
// from it.
enum class FieldKind { Text, YesNo, DateTime, Other };

constexpr int FieldKindRole = Qt::UserRole + 1;

}  // namespace tallyport
