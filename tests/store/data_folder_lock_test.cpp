// The data folder's lock: one holder, whoever asks, and a lock file that no link can misdirect.
#include "store/data_folder_lock.h"
#include "support/temp_data.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace tallyport::test {
namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(DataFolderLock, OneHolderAtATimeAndTheOthersAreToldWhichProcess) {
    TempDataDir dir;
    DataFolderLock first = DataFolderLock::take(dir.path());
    ASSERT_TRUE(first.held()) << first.failure().toStdString();
    // A lock of the open file, not of the process: a second taker in this process is refused
    // like one in any other.
    const DataFolderLock second = DataFolderLock::take(dir.path());
    EXPECT_EQ(second.state(), DataFolderLock::State::HeldElsewhere);
    EXPECT_EQ(second.holderPid(), qint64(::getpid()));
    EXPECT_EQ(second.refusal(),
              QStringLiteral("The data folder %1 is in use by another Tallyport console (process %2).")
                  .arg(dir.path())
                  .arg(::getpid()));
    first.release();
    EXPECT_TRUE(DataFolderLock::take(dir.path()).held());
    EXPECT_TRUE(QFile::exists(dir.file(kDataFolderLockFile)));  // left for the next taker
}

TEST(DataFolderLock, AMissingFolderIsMadeOnlyWhenAsked) {
    TempDataDir dir;
    const QString missing = dir.file(QStringLiteral("new/data"));
    const DataFolderLock refused = DataFolderLock::take(missing, DataFolderLock::Missing::Fail);
    EXPECT_EQ(refused.state(), DataFolderLock::State::Failed);
    EXPECT_EQ(refused.refusal(), QStringLiteral("The data folder %1 does not exist.").arg(missing));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(DataFolderLock::take(missing).held());
    EXPECT_TRUE(QFileInfo(missing).isDir());
}

TEST(DataFolderLock, TheLockFileIsSharedAsTheFolderIs) {
    TempDataDir dir;
    const QString shared = dir.file(QStringLiteral("shared")), own = dir.file(QStringLiteral("own"));
    ASSERT_TRUE(QDir().mkdir(shared) && QDir().mkdir(own));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 02770), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0700), 0);
    const mode_t mask = ::umask(077);  // the strictest a user may have
    EXPECT_TRUE(DataFolderLock::take(shared).held());
    EXPECT_TRUE(DataFolderLock::take(own).held());
    ::umask(mask);
    EXPECT_EQ(modeOf(QDir(shared).filePath(kDataFolderLockFile)), mode_t(0664));
    EXPECT_EQ(modeOf(QDir(own).filePath(kDataFolderLockFile)), mode_t(0644));
}

TEST(DataFolderLock, ALinkInPlaceOfTheLockFileIsNotFollowed) {
    TempDataDir dir;
    const QString data = dir.file(QStringLiteral("data")), victim = dir.file(QStringLiteral("victim"));
    ASSERT_TRUE(QDir().mkdir(data));
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("precious\n") == 9);
    }
    ASSERT_TRUE(QFile::link(victim, QDir(data).filePath(kDataFolderLockFile)));
    const DataFolderLock lock = DataFolderLock::take(data);
    EXPECT_EQ(lock.state(), DataFolderLock::State::Failed);
    EXPECT_TRUE(lock.refusal().startsWith(QStringLiteral("The data folder %1 cannot be locked: ").arg(data)))
        << lock.refusal().toStdString();
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("precious\n"));
}

}  // namespace
}  // namespace tallyport::test
