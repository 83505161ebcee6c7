#pragma once

#include "base/error.h"

#include <QObject>
#include <QString>

namespace tallyport {

class DataModule;

namespace setting {
// The data folder whose first-run guide is still open: it comes back after a restart there.
inline const QString FirstRunGuide = QStringLiteral("FirstRunGuide");
// The data folder whose guide the operator closed: it does not open there again.
inline const QString FirstRunGuideClosed = QStringLiteral("FirstRunGuideClosed");
}  // namespace setting

// What a new data folder still lacks before it records anybody.
struct FirstRunState {
    bool password = false;  // a login password is registered
    bool reader = false;    // a reader is enabled
    bool groups = false;    // a work group besides DEFAULT exists
    bool holders = false;   // a card holder is registered
    bool logged = false;    // the log holds a row

    // Nothing set up and nothing recorded yet: the guide opens in place of the empty grid.
    bool fresh() const { return !password && !reader && !holders && !logged; }
    // Cards can be read and named, or are being logged already: the guide has done its work
    // (the grid it stands in for is empty no longer).
    bool complete() const { return (reader && holders) || logged; }
    bool operator==(const FirstRunState&) const = default;
};

Result<FirstRunState> readFirstRunState(DataModule& data);

// The first-run guide's rule, without its window: it opens on a fresh data folder (or on the
// folder whose guide was left open at the last exit), follows the steps as they are done and
// ends once a reader is enabled and a holder exists, once the log gains a row, or when the
// operator closes it.
class FirstRunGuide : public QObject {
    Q_OBJECT
public:
    explicit FirstRunGuide(DataModule& data, QObject* parent = nullptr);

    // At start-up, once the databases are open.
    void start();
    // Reads the steps again (after a dialog closed, holders changed).
    void refresh();
    // The operator closed it: it does not come back on this folder.
    void close();

    bool shown() const { return m_shown; }
    const FirstRunState& state() const { return m_state; }

Q_SIGNALS:
    // The steps or the visibility changed.
    void changed();

private:
    void end();

    DataModule& m_data;
    FirstRunState m_state;
    bool m_shown = false;
};

}  // namespace tallyport
