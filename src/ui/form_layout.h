#pragma once

#include <QString>

class QTableView;
class QWidget;

namespace tallyport {

// Window placement under prefix + "_TOP", "_LEFT", "_WIDTH", "_HEIGHT" and "_MAX".
// Restoring sets the normal placement first and then maximises, so a window that leaves the
// maximised state comes back to its stored normal place.
void RestoreFormLayout(const QString& prefix, QWidget* window);
// A maximised window writes only "_MAX": the last normal placement stays as it was stored.
void SaveFormLayout(const QString& prefix, QWidget* window);

// Column widths under prefix + "_" + column index. The default width follows the kind of the
// column's field (FieldKindRole of the model's header): 200 text, 50 yes/no, 150 date-time,
// 100 anything else. Hidden columns keep their width like the others.
void RestoreGridColumns(const QString& prefix, QTableView* grid);
void SaveGridColumns(const QString& prefix, QTableView* grid);

// The default width of a column of the given model column (exposed for the grids' models).
int defaultColumnWidth(const QTableView* grid, int column);

}  // namespace tallyport
