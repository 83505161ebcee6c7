// The settings file's watch that the web server asks on every request.
#include "web/file_watch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <functional>

namespace tallyport::test {
namespace {

void writeInPlace(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

void replaceWhole(const QString& path, const QByteArray& text) {
    QSaveFile f(path);  // written aside and renamed over the file, as settings are
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    ASSERT_TRUE(f.commit());
}

// Every change is seen by the very next question, watched or not, and each only once.
TEST(FileWatch, EveryChangeIsSeenAtTheNextQuestionAndOnlyOnce) {
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("config")),
                  file = folder + QStringLiteral("/app.conf");
    FileWatch watch(file);
    EXPECT_TRUE(watch.changed());  // the first question reads the file
    EXPECT_FALSE(watch.changed());

    struct Step {
        const char* what;
        std::function<void()> act;
        bool seen;
    };
    const Step steps[] = {
        {"folder made", [&] { QDir().mkpath(folder); }, false},
        {"file made", [&] { writeInPlace(file, "a=1\n"); }, true},
        {"replaced whole", [&] { replaceWhole(file, "a=2\n"); }, true},
        {"written in place", [&] { writeInPlace(file, "a=3\n"); }, true},
        {"another file of the folder", [&] { writeInPlace(folder + "/other", "x"); }, false},
        {"removed", [&] { QFile::remove(file); }, true},
        {"made again", [&] { replaceWhole(file, "a=4\n"); }, true},
        {"folder removed", [&] { QDir(folder).removeRecursively(); }, true},
        {"folder and file made again",
         [&] {
             QDir().mkpath(folder);
             writeInPlace(file, "a=5\n");
         },
         true},
        {"written again", [&] { replaceWhole(file, "a=6\n"); }, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(watch.changed(), s.seen);
        EXPECT_FALSE(watch.changed());
    }
}

// A settings file kept elsewhere behind a link: changes to the target are seen too.
TEST(FileWatch, ALinkedFileIsFollowed) {
    QTemporaryDir root;
    const QString target = root.filePath(QStringLiteral("elsewhere.conf")),
                  link = root.filePath(QStringLiteral("config/app.conf"));
    writeInPlace(target, "a=1\n");
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("config"))));
    ASSERT_TRUE(QFile::link(target, link));
    FileWatch watch(link);
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.changed());
    replaceWhole(target, "a=2\n");
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.changed());
}

}  // namespace
}  // namespace tallyport::test
