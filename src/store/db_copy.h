#pragma once

#include "base/error.h"
#include "store/work_steps.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <functional>
#include <memory>

namespace tallyport {

// Copies the whole of `from` over `to` through a temporary file in the target's folder,
// renamed into place only once it is complete and on disk: a copy that fails or is killed
// part-way leaves the old target whole (and the temporary file behind, never the target cut
// short). The rollback journal and WAL files of a database that stood at `to` go with it, so
// they are never read against the new file.
Result<void> copyFileReplacing(const QString& from, const QString& to, const WorkSteps& step = {});

class TemporaryBeside;

// A copy of a keyed database read through the engine, so that what the source's write-ahead
// file holds is in it, into a temporary file beside the file it is to replace. There it can be
// opened, brought up to date and checked before it is renamed into place; it is removed when
// the object goes, unless it was put in place.
class StagedDatabase {
public:
    // The copy of `from`, keyed with `key`, beside `to`: one file with no journal beside it.
    static Result<StagedDatabase> copyOf(const QString& from, const QByteArray& key,
                                         const QString& to, const WorkSteps& step = {});

    StagedDatabase();
    StagedDatabase(StagedDatabase&&) noexcept;
    StagedDatabase& operator=(StagedDatabase&&) noexcept;
    ~StagedDatabase();

    // The temporary file; empty once put in place.
    const QString& path() const;
    const QString& target() const { return m_target; }
    // Renames the copy over its target (whose journals go first) and syncs the folder; the
    // target keeps its permissions.
    Result<void> putInPlace();

private:
    std::unique_ptr<TemporaryBeside> m_tmp;
    QString m_target;
    QFileDevice::Permissions m_permissions;
};

// A copy of the keyed database `from` at `to`, taken with the online backup while other
// connections go on writing: the copy is the database as it stood when it began. It is
// written keyed like the source into a temporary file in the target's folder, checked by
// opening it with its key and reading every page, and only then renamed into place.
Result<void> backupDatabaseFile(const QString& from, const QByteArray& key, const QString& to,
                                const WorkSteps& step = {});

// With the wait cursor; false when the copy failed.
bool CopyFileReplacing(Operator& op, const QString& from, const QString& to);
// As CopyFileReplacing, saying "Operation failed. Please retry!" with the reason on failure.
bool CopyFileChecked(Operator& op, const QString& from, const QString& to);

}  // namespace tallyport
