#pragma once

#include "store/log_record.h"
#include "store/messages.h"

#include <QDateTime>
#include <QObject>
#include <QStyledItemDelegate>
#include <optional>

class QAction;
class QContextMenuEvent;
class QGroupBox;
class QLabel;
class QTableView;

namespace tallyport {

class Console;
class LogModel;
class SpareWidthColumn;

namespace msg {
inline const QString NoRecordToDelete = QStringLiteral("No record to delete.");  // information
inline const QString ConfirmDeleteLog = QStringLiteral("Are you sure to delete this record.");
}  // namespace msg

// Draws a log cell's text 2 pixels right of and below its top left corner, clipped to it, on
// the background the grid prepared (the selected row highlighted).
class LogCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

// The log grid `info` of the main window: its model, columns and drawing, the holder photo and
// snapshot that follow the selection, the record count caption and the deletion of one record.
class LogGrid : public QObject {
    Q_OBJECT
public:
    // The widgets are found by their names under `window`.
    LogGrid(Console& console, QWidget* window, QTableView* info, QGroupBox* logs,
            QAction* deleteRecord);

    LogModel& model() { return *m_model; }

    // Hidden (shown false) while the databases are closed; otherwise the log is read again and
    // the newest row selected.
    void refresh(bool shown);
    // While held (the files closed, a maintenance job rewriting the log) the grid, the holder
    // photo and the snapshot stay hidden, whatever events arrive; released, the grid shows the
    // log again with the newest row's pictures.
    void setHeld(bool held);
    void showRecordCount();
    void showHolderPhoto(int cardNo);
    void showSnapshot(int cardNo, const QDateTime& time);
    // Photo and snapshot of the current row.
    void showCurrent();
    // "Delete this Attendance Record": the row the context menu was opened on (the current row
    // when no menu is open), whichever row card events have made current since.
    void deleteRecord();
    std::optional<LogRecord> currentRecord() const;
    // The stored widths under "InfoGrid", the designed ones where none is stored.
    void restoreColumns();
    void saveColumns();
    // The date column's width when none is stored: the designed 185, or more when the widest
    // date and time of the grid's font needs it.
    int dateColumnWidth() const;

Q_SIGNALS:
    // A double click on a row while logged in: the card editor opens for this card.
    void cardDoubleClicked(int cardNo);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A row as the operator saw it when acting on it: a later card event may make another row
    // current, or move this one, but the row id stays its own.
    struct Target {
        LogRecord rec;
        QString holder;  // "NAME, GROUP" or "[card]", as the grid showed it
    };
    std::optional<Target> targetAt(int row) const;
    // The row under a point of the viewport; the current row when the point holds none.
    std::optional<Target> targetAt(const QPoint& viewportPos) const;
    void contextMenu(const QContextMenuEvent& event, bool fromViewport);
    void doubleClicked(const QPoint& viewportPos);
    void selectNewest();

    Console& m_console;
    QTableView* m_info;
    QGroupBox* m_logs;
    QLabel* m_photo;
    QLabel* m_capture;
    QGroupBox* m_captureGroup;
    LogModel* m_model;
    SpareWidthColumn* m_nameColumn = nullptr;
    std::optional<Target> m_menuTarget;  // while the context menu is open
    bool m_held = false;
};

}  // namespace tallyport
