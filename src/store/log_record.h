#pragma once

#include <QDateTime>

namespace tallyport {

// One row of the log: a card presented at a reader.
struct LogRecord {
    qint64 rowId = 0;  // the store's own row number; identifies the row, orders equal times
    QDateTime sysTime;
    int cardNo = 0;
    int mode = 0;    // 0 clock only, 1 IN, 2 OUT
    int reader = 0;  // port 1..8
    int lock = 0;    // 0 no door opened, else the port whose lock was released
};

// Who holds a card, as the log and the web show it.
struct StaffRecord {
    int cardNo = 0;
    QString name;
    QString group;
};

}  // namespace tallyport
