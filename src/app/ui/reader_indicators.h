#pragma once

#include <QDateTime>
#include <QWidget>
#include <array>

class QLabel;
class QTimer;

namespace tallyport {

class Console;

// One small indicator per reader in use on the status bar: its description, its link
// (connected, retrying in N s, not connected) and the time of its last punch; the reason of a
// failure is in the tooltip. A reader that goes down is seen whatever the others report.
// Attached to a recorder, the indicators show the recorder's readers as its status tells.
class ReaderIndicators : public QWidget {
    Q_OBJECT
public:
    explicit ReaderIndicators(Console& console, QWidget* parent = nullptr);

    // Port 1..8.
    QLabel* indicator(int port) const { return m_labels.at(size_t(port - 1)); }
    void refresh();

private:
    void refreshFromRecorder();

    Console& m_console;
    std::array<QLabel*, 8> m_labels{};
    std::array<QDateTime, 8> m_lastPunch{};
    QTimer* m_timer = nullptr;
};

}  // namespace tallyport
