#include "app/ui/log_grid_fit.h"

#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace tallyport {

SpareWidthColumn::SpareWidthColumn(QTableView* grid, int column)
    : QObject(grid), m_grid(grid), m_column(column), m_own(grid->columnWidth(column)) {
    QHeaderView* header = grid->horizontalHeader();
    header->setStretchLastSection(false);  // the last column would take the room instead
    connect(header, &QHeaderView::sectionResized, this,
            [this](int section, int, int newSize) { sectionResized(section, newSize); });
    grid->viewport()->installEventFilter(this);
}

// A grid not on screen has no room to share yet; it gets its fit when it shows.
void SpareWidthColumn::fit() {
    if (!m_grid->isVisible()) return;
    const QHeaderView* header = m_grid->horizontalHeader();
    int others = 0;
    for (int c = 0; c < header->count(); ++c)
        if (c != m_column && !header->isSectionHidden(c)) others += header->sectionSize(c);
    const int wanted = std::max(m_own, m_grid->viewport()->width() - others);
    if (wanted == m_grid->columnWidth(m_column)) return;
    m_fitting = true;
    m_grid->setColumnWidth(m_column, wanted);
    m_fitting = false;
}

void SpareWidthColumn::sectionResized(int section, int newSize) {
    if (m_fitting) return;
    if (section == m_column) m_own = newSize;
    fit();
}

bool SpareWidthColumn::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize) fit();
    return QObject::eventFilter(watched, event);
}

}  // namespace tallyport
