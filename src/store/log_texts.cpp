#include "store/log_texts.h"

#include <QDir>

namespace tallyport {

QString modeText(int mode) {
    switch (mode) {
        case ModeClock:
            return QStringLiteral("CLOCK");
        case ModeIn:
            return QStringLiteral("IN");
        case ModeOut:
            return QStringLiteral("OUT");
        default:
            return QStringLiteral("N/A");
    }
}

QString ModeTag(int mode) {
    switch (mode) {
        case ModeClock:
            return QStringLiteral("[CLOCK]");
        case ModeIn:
            return QStringLiteral("[IN]   ");
        case ModeOut:
            return QStringLiteral("[OUT]  ");
        default:
            // A mode no reader should send still keeps the report's columns in line.
            return QStringLiteral("[N/A]  ");
    }
}

QString lockText(int value, const std::function<QString(int port)>& readerDesc) {
    if (value == 0) return QStringLiteral("DENIED");
    if (value >= 1 && value <= 8) return readerDesc(value);
    return QStringLiteral("ERROR");
}

QString snapshotFileName(const QString& photoFolder, int cardNo, const QDateTime& t) {
    return QDir(photoFolder)
        .filePath(t.toString(QStringLiteral("yyMMdd-HHmmss-")) + QString::number(cardNo) +
                  QStringLiteral(".jpg"));
}

}  // namespace tallyport
