#pragma once

#include "base/error.h"
#include "staff/groups.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tallyport {

class Database;

// The demonstration set-up: a throw-away data folder with a few card holders in two groups, and
// reader 1 pointed at a reader simulator (started beside this program) that presents a known
// card every few seconds. The folder and the simulator go when the object goes.
class Demo {
public:
    static constexpr int kEverySeconds = 4;
    // The demo's work groups, with the hours they work.
    static std::vector<WorkGroup> groups();

    Demo();
    ~Demo();
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Makes the folder and starts the simulator; the error says what failed.
    Result<void> start();
    QString dataFolder() const { return m_dir.path(); }
    quint16 readerPort() const { return m_port; }

private:
    Result<void> startSimulator();
    Result<void> fillData();
    Result<void> fillTables(Database& src);

    QTemporaryDir m_dir;
    QProcess m_sim;
    quint16 m_port = 0;
};

}  // namespace tallyport
