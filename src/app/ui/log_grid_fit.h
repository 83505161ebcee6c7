#pragma once

#include <QObject>

class QTableView;

namespace tallyport {

// One column of a grid takes the width the others leave, and never less than the width it was
// given (by the operator's drag, a stored layout or its design). The other columns keep theirs.
class SpareWidthColumn : public QObject {
    Q_OBJECT
public:
    SpareWidthColumn(QTableView* grid, int column);

    // The column's own width: what it shrinks back to when the others need the room.
    int ownWidth() const { return m_own; }
    void fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sectionResized(int section, int newSize);

    QTableView* m_grid;
    int m_column;
    int m_own;
    bool m_fitting = false;
};

}  // namespace tallyport
