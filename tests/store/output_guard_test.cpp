// No output file lands on a file the console keeps, under whatever name it is given.
#include "store/output_guard.h"
#include "store/schema.h"
#include "store/settings.h"
#include "support/store_fixture.h"

#include <QDir>
#include <QFile>

namespace tallyport::test {
namespace {

class OutputGuard : public StoreFixture {};

TEST_F(OutputGuard, RefusesEveryOwnFileUnderAnyOfItsNames) {
    const QString other = dir.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(other));
    ASSERT_TRUE(QFile::link(dir.file(kLogFile), QDir(other).filePath(QStringLiteral("link.db"))));
    ASSERT_TRUE(QFile::link(dir.file(QStringLiteral("sysdat.db-wal")),
                            QDir(other).filePath(QStringLiteral("dangling"))));
    ASSERT_EQ(::link(QFile::encodeName(dir.file(kSystemFile)).constData(),
                     QFile::encodeName(QDir(other).filePath(QStringLiteral("hard.db"))).constData()),
              0);
    ASSERT_TRUE(WriteSettingText(QStringLiteral("Probe"), QStringLiteral("1")));
    const QString refused[] = {
        dir.file(kLogFile),
        dir.file(kLogFile) + QStringLiteral("-wal"),
        dir.file(QStringLiteral("attend.db-shm")),
        dir.file(kSystemTemplate),
        dir.file(QStringLiteral("tallyport.lock")),
        dir.file(QStringLiteral("attend-spool.db")),
        dir.file(QStringLiteral("blank.xls")),
        dir.file(QStringLiteral("cardlogo.jpg")),
        other + QStringLiteral("/../") + kSystemFile,
        QDir(other).filePath(QStringLiteral("link.db")),
        QDir(other).filePath(QStringLiteral("dangling")),
        QDir(other).filePath(QStringLiteral("hard.db")),
        settingsFilePath(),
    };
    for (const QString& path : refused) {
        const auto r = checkOutputTarget(path);
        ASSERT_FALSE(r) << path.toStdString();
        EXPECT_TRUE(r.error().text.startsWith(path + QStringLiteral(" is ")))
            << r.error().text.toStdString();
        EXPECT_TRUE(r.error().text.endsWith(QStringLiteral("Choose another file.")));
    }
    EXPECT_EQ(checkOutputTarget(QDir(other).filePath(QStringLiteral("hard.db"))).error().text,
              QDir(other).filePath(QStringLiteral("hard.db")) +
                  QStringLiteral(" is the console's own file ") + dir.file(kSystemFile) +
                  QStringLiteral(": it is never replaced by an output file. Choose another file."));
}

TEST_F(OutputGuard, OtherFilesAreWritten) {
    for (const QString& path : {dir.file(QStringLiteral("attend.txt")),
                                dir.file(QStringLiteral("backup_attend.db")),
                                dir.file(QStringLiteral("photos/attend.db")),
                                dir.file(QStringLiteral("missing/folder/x.xls"))})
        EXPECT_TRUE(checkOutputTarget(path)) << path.toStdString();
}

}  // namespace
}  // namespace tallyport::test
