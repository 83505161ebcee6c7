// The log area of the main window: the grid over the log, the holder photo and the snapshot
// of the selected row, and the record count.
#include "app/commands.h"
#include "app/console.h"
#include "app/ui/log_grid.h"
#include "app/ui/main_window.h"

#include <QTableView>

namespace tallyport {

void MainWindow::buildLogView() {
    m_logGrid = new LogGrid(m_console, this, m_info, m_logs, action(cmd::actDelRec));
    connect(m_logGrid, &LogGrid::cardDoubleClicked, this, &MainWindow::cardDoubleClicked);
    connect(&m_console, &Console::eventShown, this, [this](int cardNo, const QDateTime& time) {
        showHolderPhoto(cardNo);
        showSnapshot(cardNo, time);
    });
}

void MainWindow::refreshLogGrid(bool shown) {
    m_logGrid->refresh(shown);
}

void MainWindow::showHolderPhoto(int cardNo) {
    m_logGrid->showHolderPhoto(cardNo);
}

void MainWindow::showSnapshot(int cardNo, const QDateTime& time) {
    m_logGrid->showSnapshot(cardNo, time);
}

}  // namespace tallyport
