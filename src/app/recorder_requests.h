#pragma once

#include "app/control_server.h"
#include "app/status_command.h"

#include <QObject>
#include <deque>
#include <memory>

namespace tallyport {

class Console;

// The recorder's answers on its control channel: `status`, `reader N …` on the reader it runs
// (waiting its turn behind an automatic download or another request on that reader) and
// `import log|staff FILE` on a connection of its own beside the recording, one import at a
// time. Made after the console's start-up and destroyed before its shutdown: a request still
// running then is abandoned with its reader's hold released, and its client told.
class RecorderRequests : public QObject {
    Q_OBJECT
public:
    explicit RecorderRequests(Console& console, QObject* parent = nullptr);
    ~RecorderRequests() override;

    // The socket in the data folder; why it could not be made (the recording goes on).
    Result<void> listen();
    ControlServer& server() { return m_server; }
    // No further request; the reader requests still running are abandoned.
    void stop();

private:
    struct Import {
        std::shared_ptr<ControlCall> call;
        QString kind;
        QString path;
    };
    void readerRequest(std::shared_ptr<ControlCall> call);
    void readerRowRequest(std::shared_ptr<ControlCall> call);
    void reloadRequest(std::shared_ptr<ControlCall> call);
    void importRequest(std::shared_ptr<ControlCall> call);
    void runImports();

    Console& m_console;
    ControlServer m_server;
    RecorderStatus m_status;
    std::deque<Import> m_imports;
    bool m_importing = false;
};

}  // namespace tallyport
