// The reader setup inside a running console whose readers talk to the simulator over TCP: the
// editor's row, the reconnect message after an edit, Scan All, the door button's caption.
#include "admin/reader_setup.h"
#include "admin/door_open.h"
#include "store/setting_names.h"
#include "support/live_console.h"

#include <QTcpServer>

using namespace tallyport;
using namespace tallyport::test;

namespace {

// A local port with nothing listening: connecting is refused at once.
quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

class ReaderSetupTest : public LiveConsole {
protected:
    void SetUp() override {
        LiveConsole::SetUp();
        setup.emplace(console.data(), console.readers(), op);  // the readers exist once started
    }
    std::optional<ReaderSetup> setup;

    std::optional<ReaderRow> row(int port) {
        for (const ReaderRow& r : readReaderRows(src()).value_or(std::vector<ReaderRow>{}))
            if (r.portNo == port) return r;
        return std::nullopt;
    }
    std::vector<int> changedPorts() const {
        std::vector<int> out;
        for (int p = 1; p <= 8; ++p)
            if (setup->changed()[size_t(p - 1)]) out.push_back(p);
        return out;
    }
};

TEST_F(ReaderSetupTest, EditStoresTheRowAsTypedAndABlankDescriptionAsThePortName) {
    const auto before = runToEnd(setup->beginEdit(1));
    ASSERT_TRUE(before && *before);
    EXPECT_EQ((*before)->desc, "Front door");
    EXPECT_TRUE(changedPorts().empty());  // opening the editor changes nothing

    ReaderEdit e = **before;
    e.desc = QStringLiteral("   ");
    e.ipaddr = QStringLiteral(" 127.0.0.1 ");
    e.mode = 2;
    e.lockTime = 300;
    runToEnd(setup->finishEdit(1, e));
    const auto stored = row(1);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->desc, "COM1");
    EXPECT_EQ(stored->ipaddr, " 127.0.0.1 ");
    EXPECT_EQ(stored->mode, 2);
    EXPECT_EQ(stored->lockTime, 300);
    EXPECT_EQ(reader(1).Desc(), "COM1");
    EXPECT_EQ(reader(1).Mode(), 2);
    EXPECT_EQ(reader(1).LockTime(), 300);
    EXPECT_TRUE(reader(1).Enable());  // connected again through the blanks
    EXPECT_EQ(changedPorts(), std::vector<int>{1});
    EXPECT_TRUE(op.shown().isEmpty()) << qPrintable(op.shown().join('\n'));
}

TEST_F(ReaderSetupTest, AnUnreachableReaderSaysSoOnceAfterTheEdit) {
    ASSERT_TRUE(
        src().run("UPDATE reader SET ipaddr = '127.0.0.1', ipport = ?, enable = 1 "
                  "WHERE PortNo = 3",
                  closedPort()));
    const auto before = runToEnd(setup->beginEdit(3));
    ASSERT_TRUE(before && *before);
    EXPECT_TRUE(op.shown().isEmpty());  // the silent reconnect before the editor opens
    runToEnd(setup->finishEdit(3, **before));
    EXPECT_EQ(op.shown(),
              QStringList{"error: Failed to connect reader (COM3). Please retry later!"});
    EXPECT_FALSE(reader(3).Enable());
    EXPECT_TRUE(row(3)->enable);  // the row keeps the operator's choice: the grid shows "stop"
    const ReaderLinkState state = readerLinkState(reader(3), true);
    EXPECT_EQ(state.kind, ReaderLinkKind::Retrying);
    EXPECT_TRUE(state.text.startsWith("retrying in ")) << qPrintable(state.text);
    EXPECT_EQ(state.reason, "Connection refused");
}

TEST_F(ReaderSetupTest, ScanAllOnSevenRowsProbesEveryPortAndStoresWhatAnswered) {
    ASSERT_TRUE(src().run("DELETE FROM reader WHERE PortNo = 8"));
    ASSERT_TRUE(src().run("UPDATE reader SET enable = 1 WHERE PortNo = 4"));
    op.answerConfirm(false);
    EXPECT_FALSE(runToEnd(setup->ScanAll({})).value_or(true));
    EXPECT_TRUE(changedPorts().empty());

    QStringList hosts;
    op.answerConfirm(true);
    EXPECT_TRUE(runToEnd(setup->ScanAll([&](const QString& h) { hosts << h; })).value_or(false));
    EXPECT_TRUE(op.shown("confirm").contains(
        "This action may take several minutes. Are you sure to proceed?"));
    EXPECT_EQ(hosts.size(), 8);
    EXPECT_EQ(hosts.value(0), "127.0.0.1");
    EXPECT_EQ(changedPorts(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(row(1)->enable);
    EXPECT_TRUE(row(2)->enable);  // the simulator's second reader answers too
    EXPECT_FALSE(row(4)->enable);
    EXPECT_EQ(count(src(), "reader"), 7);  // no row made up for port 8
    EXPECT_EQ(op.shown("information"), QStringList{"2 readers found, 5 not answering."});
}

// A row nobody enabled has nothing to connect: opening its editor reports no failure, in a
// box or on the status line.
TEST_F(ReaderSetupTest, OpeningTheEditorOfABlankRowSaysNothing) {
    QStringList said;
    QObject::connect(&console, &Console::readerStatus,
                     [&](int, const QString& text) { said << text; });
    const auto blank = runToEnd(setup->beginEdit(5));
    ASSERT_TRUE(blank && *blank);
    EXPECT_FALSE((*blank)->enable);
    QTest::qWait(50);
    EXPECT_TRUE(said.isEmpty()) << qPrintable(said.join(u'\n'));
    EXPECT_TRUE(op.shown().isEmpty());
    EXPECT_EQ(readerLinkState(reader(5), false).text, "not enabled");
    EXPECT_EQ(readerLinkState(reader(1), true).text, "connected");
}

TEST_F(ReaderSetupTest, ClosingReconfiguresOnlyThePortsTouched) {
    ASSERT_TRUE(src().run("UPDATE reader SET \"desc\" = 'Renamed' WHERE PortNo IN (1, 2)"));
    std::array<bool, 8> changed{};
    changed[1] = true;
    reconfigureChanged(console.readers(), changed);
    EXPECT_EQ(reader(1).Desc(), "Front door");
    EXPECT_EQ(reader(2).Desc(), "Renamed");
}

TEST_F(ReaderSetupTest, DoorCaptionAtStartAndAfterTheSetup) {
    ASSERT_TRUE(WriteSettingBool(setting::DoorOpenEnable, true));
    ASSERT_TRUE(WriteSettingInt(setting::DoorOpenPortNo, 1));
    EXPECT_TRUE(doorButtonShown());
    EXPECT_EQ(doorCaption(console.readers(), false), "Front door -> OPEN");
    EXPECT_EQ(doorCaption(console.readers(), true), "Front door->OPEN");

    // The setup lists the readers in use; the stored port chooses the entry.
    pointReader(2, 2, QStringLiteral("Back door"));
    ASSERT_TRUE(WriteSettingInt(setting::DoorOpenPortNo, 2));
    DoorChoice choice = loadDoorChoice(console.readers());
    ASSERT_EQ(choice.readers.size(), 2u);
    EXPECT_EQ(choice.readers[size_t(choice.selected)].desc, "Back door");
    ASSERT_TRUE(storeDoorChoice(false, choice.readers[0]));
    EXPECT_FALSE(doorButtonShown());
    EXPECT_EQ(doorPort(), 1);

    // A stored port outside 1..8 never names a reader that does not exist.
    ASSERT_TRUE(WriteSettingInt(setting::DoorOpenPortNo, 0));
    EXPECT_EQ(doorCaption(console.readers(), false), "Front door -> OPEN");
}

}  // namespace
