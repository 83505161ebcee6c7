#pragma once

// A reader client connected to the reader simulator over TCP, the Access Manager's workflows on
// it with a scripted operator, and a store on a fresh data folder.
#include "admin/access_manager.h"
#include "readers/reader_client.h"
#include "support/sim_process.h"
#include "support/store_fixture.h"

#include <QTest>

namespace tallyport::test {

// The steps a workflow showed, in order; "-" when the field was hidden.
class RecordingSteps final : public StepView {
public:
    void showStep(const QString& text) override { steps << text; }
    void hideStep() override { steps << QStringLiteral("-"); }
    QStringList steps;
};

class AdminFixture : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        ASSERT_TRUE(sim.ready());
        reader.setPortNo(1);
        reader.setDesc(QStringLiteral("Front door"));
        reader.setRemoteHost(QStringLiteral("127.0.0.1"));
        reader.setRemotePort(QString::number(sim.port()));
        reader.setControlPinProvider([this] { return data.GetKeyInt(kControlPinKey); });
        QObject::connect(&reader, &ReaderClient::inputArrived, &reader, &ReaderClient::Poll,
                         Qt::QueuedConnection);
        ASSERT_TRUE(reader.Reconnect(false));
        ASSERT_TRUE(sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port())));
    }

    template <typename T>
    T run(Task<T> task) {
        auto r = runToEnd(std::move(task));
        EXPECT_TRUE(r.has_value());
        return r.value_or(T{});
    }
    // A simulator line that must be answered "ok"; its data lines.
    QStringList simSays(const QString& line) {
        QStringList answer = sim.command(line);
        EXPECT_EQ(answer.value(answer.size() - 1), "ok") << qPrintable(line);
        answer.removeLast();
        return answer;
    }
    // One value of the reader's state, e.g. "records".
    QString simState(const QString& name) {
        for (const QString& line : simSays(QStringLiteral("state")))
            if (line.startsWith(name + '=')) return line.mid(name.size() + 1);
        return {};
    }
    // The bodies of the command frames the reader received, as hex, since the last clear.
    QStringList simFrames() {
        QStringList out;
        for (const QString& line : simSays(QStringLiteral("frames"))) out << line.section(' ', 2);
        return out;
    }
    qint64 logRows() {
        return data.att().scalarInt(QStringLiteral("SELECT count(*) FROM recorder"))->value_or(-1);
    }

    tallyport::testing::SimProcess sim;
    ReaderClient reader;
    RecordingSteps view;
    AccessManager manager{reader, data, op, view};
};

}  // namespace tallyport::test
