#pragma once

#include "base/operator.h"
#include "readers/reader_client.h"
#include "store/data_module.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <memory>

namespace tallyport {

inline constexpr int kPollIntervalMs = 50;

// The eight reader clients of the installation, one per port 1..8, configured from the
// `reader` table and polled in port order every 50 ms by `TmrIprox`. Connects never block:
// every enabled reader connects in the background at once, and a reader in use whose line
// drops is reconnected in the background.
class ReaderBank : public QObject {
    Q_OBJECT
public:
    ReaderBank(DataModule& data, Operator& op, QObject* parent = nullptr);
    ~ReaderBank() override;

    // Port 1..8.
    ReaderClient& reader(int port) { return *m_readers.at(size_t(port - 1)); }
    static bool validPort(int port) { return port >= 1 && port <= 8; }

    // `link` false: the clients take their rows (description, mode, address) but connect
    // nothing, for a console whose readers another process runs.
    void ConfigureReaders(bool link = true);
    // False when the table holds no row for the port (the client is left as it was).
    bool ConfigureReader(int port, bool link = true);
    void DisconnectReaders();

    QTimer& TmrIprox() { return m_poll; }
    void stopPolling() { m_poll.stop(); }

Q_SIGNALS:
    void cardCode(bool offline, int port, int code, const QDateTime& stamp, qint8 cmode);
    void bypass(int port, int state);
    void powerup(int port);
    void readerStatus(int port, const QString& text);
    // A reader's connection stands (at start-up, after a drop, or an absent reader appeared).
    void readerConnected(int port);

private:
    void pollAll();
    void attach(int port);

    DataModule& m_data;
    Operator& m_op;
    std::array<std::unique_ptr<ReaderClient>, 8> m_readers;
    QTimer m_poll;
};

}  // namespace tallyport
