#include "store/db_copy.h"

#include "base/operator.h"
#include "store/maintenance_texts.h"
#include "store/sqlcipher_db.h"

#include <fcntl.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>

namespace tallyport {
namespace {

constexpr qint64 kChunk = qint64(1) << 20;

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The files the engine keeps beside a database: read against whatever file holds its name.
QStringList journalsOf(const QString& database) {
    return {database + QStringLiteral("-journal"), database + QStringLiteral("-wal"),
            database + QStringLiteral("-shm")};
}

}  // namespace

// A temporary file beside the target, removed (with any journal the engine left beside it)
// unless it was put in place.
class TemporaryBeside {
public:
    TemporaryBeside() = default;
    TemporaryBeside(const TemporaryBeside&) = delete;
    TemporaryBeside& operator=(const TemporaryBeside&) = delete;
    ~TemporaryBeside() {
        if (m_path.isEmpty()) return;
        QFile::remove(m_path);
        for (const QString& j : journalsOf(m_path)) QFile::remove(j);
    }

    Result<void> reserve(const QString& target) {
        QTemporaryFile file(target + QStringLiteral(".tmp-XXXXXX"));
        file.setAutoRemove(false);
        if (!file.open())
            return fail(
                QStringLiteral("Cannot write beside %1: %2").arg(target, file.errorString()));
        m_path = file.fileName();
        return {};
    }
    const QString& path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    QString m_path;
};

namespace {

bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The rename is the moment the target changes; the folder is synced so that it survives a
// power cut.
Result<void> putInPlace(TemporaryBeside& tmp, const QString& target,
                        QFileDevice::Permissions perms) {
    if (QFileInfo::exists(target)) perms = QFile::permissions(target);
    QFile::setPermissions(tmp.path(), perms);
    if (!syncFile(tmp.path()))
        return fail(QStringLiteral("Cannot write %1: %2").arg(tmp.path(), systemReason()));
    for (const QString& j : journalsOf(target)) QFile::remove(j);
    if (::rename(QFile::encodeName(tmp.path()).constData(), QFile::encodeName(target).constData()))
        return fail(QStringLiteral("Cannot replace %1: %2").arg(target, systemReason()));
    tmp.release();
    syncFile(QFileInfo(target).absolutePath());
    return {};
}

Result<void> copyBytes(QFile& in, QFile& out, const WorkSteps& step) {
    const qint64 total = in.isSequential() ? 0 : in.size();
    QByteArray buffer(kChunk, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), kChunk);
        if (n < 0)
            return fail(QStringLiteral("Cannot read %1: %2").arg(in.fileName(), in.errorString()));
        if (n == 0) return {};
        if (out.write(buffer.constData(), n) != n)
            return fail(
                QStringLiteral("Cannot write %1: %2").arg(out.fileName(), out.errorString()));
        done += n;
        if (step && !step(done, total)) return fail(msg::CopyStopped);
    }
}

bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// Every page is read and decrypted once more: a copy that does not open with its key, or
// holds a page that does not decrypt, is never put in place.
Result<void> checkCopy(const QString& path, const QByteArray& key) {
    auto db = Database::open(path, key, Database::Mode::ReadOnly);
    if (!db) return std::unexpected(db.error());
    auto verdict = db->queryOne(QStringLiteral("PRAGMA quick_check"),
                                [](const Statement& st) { return st.text(0); });
    if (!verdict) return std::unexpected(verdict.error());
    if (!*verdict || **verdict != QLatin1String("ok"))
        return fail(QStringLiteral("The copy does not read back whole: ") +
                    verdict->value_or(QString()));
    return {};
}

Result<void> backupInto(Database& source, const QString& path, const QByteArray& key,
                        const WorkSteps& step) {
    auto copy = Database::open(path, key, Database::Mode::Create);
    if (!copy) return std::unexpected(copy.error());
    // One file with no journal beside it; the copied header says WAL, so it is said again after.
    if (auto r = copy->exec(QStringLiteral("PRAGMA journal_mode = DELETE")); !r) return r;
    if (auto r = source.copyInto(*copy, step); !r) return r;
    return copy->exec(QStringLiteral("PRAGMA journal_mode = DELETE"));
}

}  // namespace

Result<void> copyFileReplacing(const QString& from, const QString& to, const WorkSteps& step) {
    const QString target = QFileInfo(to).absoluteFilePath();
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Cannot read %1: %2").arg(from, in.errorString()));
    TemporaryBeside tmp;
    if (auto r = tmp.reserve(target); !r) return r;
    QFile out(tmp.path());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("Cannot write %1: %2").arg(tmp.path(), out.errorString()));
    if (auto r = copyBytes(in, out, step); !r) return r;
    if (!out.flush())
        return fail(QStringLiteral("Cannot write %1: %2").arg(tmp.path(), out.errorString()));
    out.close();
    return putInPlace(tmp, target, in.permissions());
}

StagedDatabase::StagedDatabase() = default;
StagedDatabase::StagedDatabase(StagedDatabase&&) noexcept = default;
StagedDatabase& StagedDatabase::operator=(StagedDatabase&&) noexcept = default;
StagedDatabase::~StagedDatabase() = default;

const QString& StagedDatabase::path() const {
    static const QString none;
    return m_tmp ? m_tmp->path() : none;
}

Result<StagedDatabase> StagedDatabase::copyOf(const QString& from, const QByteArray& key,
                                              const QString& to, const WorkSteps& step) {
    StagedDatabase staged;
    staged.m_target = QFileInfo(to).absoluteFilePath();
    staged.m_permissions = QFile::permissions(from);
    if (sameFile(from, staged.m_target))
        return fail(QStringLiteral("A database cannot be copied over itself: ") + staged.m_target);
    auto source = QFileInfo(from).isFile() ? Database::open(from, key, Database::Mode::ReadOnly)
                                           : fail(QStringLiteral("Missing: ") + from);
    if (!source) return std::unexpected(source.error());
    staged.m_tmp = std::make_unique<TemporaryBeside>();
    if (auto r = staged.m_tmp->reserve(staged.m_target); !r) return std::unexpected(r.error());
    if (auto r = backupInto(*source, staged.path(), key, step); !r)
        return std::unexpected(r.error());
    return staged;
}

Result<void> StagedDatabase::putInPlace() {
    if (!m_tmp || m_tmp->path().isEmpty()) return fail(QStringLiteral("Nothing to put in place"));
    return tallyport::putInPlace(*m_tmp, m_target, m_permissions);
}

Result<void> backupDatabaseFile(const QString& from, const QByteArray& key, const QString& to,
                                const WorkSteps& step) {
    auto staged = StagedDatabase::copyOf(from, key, to, step);
    if (!staged) return std::unexpected(staged.error());
    if (auto r = checkCopy(staged->path(), key); !r) return r;
    return staged->putInPlace();
}

bool CopyFileReplacing(Operator& op, const QString& from, const QString& to) {
    const auto cursor = op.waitCursor();
    return copyFileReplacing(from, to).has_value();
}

bool CopyFileChecked(Operator& op, const QString& from, const QString& to) {
    const auto cursor = op.waitCursor();
    const auto copied = copyFileReplacing(from, to);
    if (!copied) op.errorDetail(msg::OperationFailed, copied.error().text);
    return copied.has_value();
}

}  // namespace tallyport
