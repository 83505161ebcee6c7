#pragma once

#include "store/log_record.h"

#include <QAbstractTableModel>
#include <QString>
#include <QTimer>
#include <functional>
#include <list>
#include <map>
#include <optional>
#include <vector>

namespace tallyport {

class Statement;
class DataModule;

// "mmm d, yyyy ddd - AM/PM hh:mm:ss" with the host's short month and day names.
QString logTimeText(const QDateTime& t);

// The log grid's rows: every row of `recorder` in SYSTIME order, rowid breaking ties, read
// page by page through the (SYSTIME, CARDNO) index. Only a few pages live in memory, so two
// million rows open at the newest row at once.
//
// A row's position is found from "boundaries": (p, t) where p rows have a SYSTIME before t.
// The table never counts itself: a position far from every known boundary is reached by
// stepping the covering index from the nearest one (about 0.1 µs a row, where OFFSET on the
// SYSTIME, rowid order costs ten times that), noting a boundary every few thousand rows so
// the next jump nearby costs nothing.
class LogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Columns, as the grid shows them.
    enum Column { ColTime, ColCard, ColMode, ColReader, ColLock, ColumnCount };
    static constexpr int kPageRows = 128;

    LogModel(DataModule& data, std::function<QString(int port)> readerDesc,
             QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row at a position, or nothing when out of range or the log is closed.
    std::optional<LogRecord> record(int row) const;
    // The log changed under the model: the count is read again and the pages dropped.
    void refresh();
    // The model shows no rows (the databases are closed for maintenance).
    void clear();
    // Card holders or groups changed: the "NAME, GROUP" texts are made again as rows are
    // shown. The rows and their count stay, and so do the selection and the scroll position.
    void dropHolderTexts();
    // While idle the model notes a boundary every `step` rows, a slice per timer tick, so that
    // a first jump far into the log costs no more than a nearby one. True once all are noted.
    void setCheckpointStep(qint64 step) { m_checkpointStep = step; }
    bool checkpointsDone() const { return !m_checkpoints.isActive(); }

private:
    struct Row {
        LogRecord rec;
        QString texts[ColumnCount];
    };
    struct Page {
        int first = 0;
        std::vector<Row> rows;
    };

    const Page* page(int row) const;
    Page loadPage(int first) const;
    std::pair<qint64, QString> boundaryAtOrBefore(qint64 pos) const;
    std::optional<std::pair<qint64, QString>> windowBoundary(qint64 from, const QString& t,
                                                             qint64 target, bool down) const;
    std::pair<qint64, QString> scanForward(qint64 from, const QString& t, qint64 target) const;
    std::pair<qint64, QString> scanBackward(qint64 from, const QString& t, qint64 target) const;
    void fillTexts(std::vector<Row>& rows) const;
    bool next(Statement& st) const;
    bool boundariesStillHold(qint64 newCount);
    void noteNextCheckpoint();

    DataModule& m_data;
    std::function<QString(int)> m_readerDesc;
    qint64 m_count = 0;
    mutable std::map<qint64, QString> m_bounds;  // position -> SYSTIME first seen there
    mutable std::list<Page> m_pages;             // most recently used first
    QTimer m_checkpoints;
    qint64 m_checkpointStep = 65536;  // about 8 ms of index stepping a slice
    qint64 m_nextCheckpoint = 0;
};

}  // namespace tallyport
