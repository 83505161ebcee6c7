#pragma once

#include "base/error.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace tallyport::readersim {

struct Options {
    QList<quint16> ports;                // 0: a free port
    std::optional<quint16> controlPort;  // no control port when absent
    QString recordFile;
    QStringList execLines;  // control lines run once all ports listen
    bool verbose = false;
    bool helpOnly = false;
};

// The full --help text: options, control lines and frames.
QString usageText();
Result<Options> parseOptions(const QStringList& arguments);

}  // namespace tallyport::readersim
