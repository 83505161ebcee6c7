#include "store/maintenance.h"

#include "store/attached_mark.h"

#include "base/clock.h"
#include "store/data_module.h"
#include "store/date_time.h"
#include "store/db_copy.h"
#include "store/maintenance_texts.h"
#include "store/messages.h"
#include "store/output_guard.h"
#include "store/replaced_copies.h"
#include "store/schema.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "store/work_steps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tallyport {

const DbKindInfo& kindInfo(DbKind kind) {
    static const DbKindInfo log{kLogFile,
                                kLogTemplate,
                                kLogKey,
                                setting::LogDbLast,
                                kLogBackupName,
                                msg::BackupLogTitle,
                                msg::RestoreLogTitle};
    static const DbKindInfo system{kSystemFile,
                                   kSystemTemplate,
                                   kSystemKey,
                                   setting::SysDbLast,
                                   kSystemBackupName,
                                   msg::BackupSystemTitle,
                                   msg::RestoreSystemTitle};
    return kind == DbKind::Log ? log : system;
}

namespace {

QString lastPathOf(DataModule& data, const DbKindInfo& k) {
    return ReadSettingText(k.lastPath, data.filePath(k.backupName));
}

QString replacedFolder(DataModule& data) {
    return QDir::toNativeSeparators(data.filePath(kReplacedFolder));
}

// A source read into a copy beside the live file of its kind, and the verdict on it.
struct Judged {
    StagedDatabase copy;
    QString invalid;  // why it is not a whole database of its kind; empty when it is
};

// Why a source that could not be copied is at fault, or nothing when it is not (the copy could
// not be written).
QString sourceFault(const QString& source, const QByteArray& key) {
    const QFileInfo info(source);
    if (!info.isFile()) return QStringLiteral("No such file: ") + source;
    if (!info.isReadable()) return {};
    auto db = Database::open(source, key, Database::Mode::ReadOnly);
    if (!db) return db.error().text;
    auto verdict = db->queryOne(QStringLiteral("PRAGMA quick_check"),
                                [](const Statement& st) { return st.text(0); });
    if (!verdict) return verdict.error().text;
    return verdict->value_or(QString()) == QLatin1String("ok") ? QString()
                                                               : verdict->value_or(QString());
}

// The copy as the console would open it: brought up to this program's schema by its own
// upgrade steps, holding every table, column and trigger of a blank file of its kind, and whole
// to the last page. Answers why not; an error is a copy that could not be written.
Result<QString> judgeCopy(const QString& path, DbKind kind) {
    const bool log = kind == DbKind::Log;
    auto db = Database::open(path, kindInfo(kind).key, Database::Mode::ReadWrite);
    if (!db) return db.error().text;
    if (auto r = log ? upgradeLogSchema(*db) : upgradeSystemSchema(*db); !r) return r.error().text;
    if (auto r = checkHoldsSchema(*db, log ? &createLogSchema : &createSystemSchema); !r)
        return r.error().text;
    auto verdict = db->query(QStringLiteral("PRAGMA integrity_check(5)"),
                             [](const Statement& st) { return st.text(0); });
    if (!verdict) return verdict.error().text;
    if (verdict->size() != 1 || verdict->front() != QLatin1String("ok"))
        return QStringList(verdict->begin(), verdict->end()).join(u'\n');
    // One file with no journal beside it, as it is renamed into place.
    if (auto r = db->exec(QStringLiteral("PRAGMA journal_mode = DELETE")); !r)
        return std::unexpected(r.error());
    return QString();
}

// Reads `source` through the engine into a copy beside the live file of `kind` and judges it.
Result<Judged> judgeWhole(const QString& source, DbKind kind, const QString& live,
                          const WorkSteps& step) {
    const QByteArray key = kindInfo(kind).key;
    bool stopped = false;
    auto copy = StagedDatabase::copyOf(source, key, live, [&](qint64 done, qint64 total) {
        stopped = step && !step(done, total);
        return !stopped;
    });
    Judged judged;
    if (!copy) {
        if (!stopped) judged.invalid = sourceFault(source, key);
        if (judged.invalid.isEmpty()) return std::unexpected(copy.error());
        return judged;
    }
    judged.copy = std::move(*copy);
    auto verdict = judgeCopy(judged.copy.path(), kind);
    if (!verdict) return std::unexpected(verdict.error());
    judged.invalid = *verdict;
    return judged;
}

// With the databases closed: the live file kept in the replaced folder (byte for byte when it
// does not open whole: it is what is replaced all the same), then the copy renamed over it.
// The kept copy's path, empty when there was no live file.
Result<QString> keepAndReplace(StagedDatabase& copy, const QByteArray& key, const QDateTime& when) {
    auto kept = keepReplacedCopy(copy.target(), key, when, DamagedLive::KeepBytes);
    if (!kept) return fail(msg::CopyNotKept + kept.error().text);
    if (auto r = copy.putInPlace(); !r) return std::unexpected(r.error());
    return *kept;
}

// The same on a worker behind a progress window (the copy of a large log takes seconds); a
// failure is said. The kept copy's path.
std::optional<QString> keepAndReplaceOnWorker(Operator& op, DbKind kind, StagedDatabase& copy) {
    const DbKindInfo& k = kindInfo(kind);
    const QDateTime when = appClock().now();
    return runStoreJob<QString>(op, k.restoreTitle, msg::OperationFailed,
                                [&copy, &k, when](WorkContext& work) {
                                    work.runToEnd();
                                    return keepAndReplace(copy, k.key, when);
                                });
}

void pruneAfter(DataModule& data, DbKind kind, const QString& kept) {
    if (!kept.isEmpty()) pruneReplacedCopies(data.dataFolder(), kindInfo(kind).file, kept);
}

// The live file of `kind` replaced by its template, once the template was judged whole and the
// live file kept. The kept copy's path.
Result<QString> replaceByTemplate(DataModule& data, DbKind kind, const QDateTime& when) {
    const DbKindInfo& k = kindInfo(kind);
    const QString blank = data.filePath(k.blank);
    auto judged = judgeWhole(blank, kind, data.filePath(k.file), {});
    if (!judged) return std::unexpected(judged.error());
    if (!judged->invalid.isEmpty())
        return fail(QDir::toNativeSeparators(blank) + QStringLiteral(": ") + judged->invalid);
    return keepAndReplace(judged->copy, k.key, when);
}

// Judged on a worker while the recording goes on; the verdict is said. The copy when whole.
std::optional<StagedDatabase> judgedRestore(DataModule& data, Operator& op, DbKind kind,
                                            const QString& source) {
    const DbKindInfo& k = kindInfo(kind);
    const QString live = data.filePath(k.file);
    auto judged = runStoreJob<Judged>(op, k.restoreTitle, msg::OperationFailed,
                                      [source, kind, live](WorkContext& work) {
                                          return judgeWhole(source, kind, live, stepsOf(work));
                                      });
    if (!judged) return std::nullopt;
    if (!judged->invalid.isEmpty()) {
        op.errorDetail(msg::InvalidDatabase, judged->invalid);
        return std::nullopt;
    }
    return std::move(judged->copy);
}

// What the live file holds, for the questions; nothing when it cannot be read.
std::optional<qint64> liveCount(Database& db, const QString& sql, const QString& bound = {}) {
    auto n = bound.isNull() ? db.scalarInt(sql) : db.scalarInt(sql, bound);
    if (!n) return std::nullopt;
    return n->value_or(0);
}

std::optional<qint64> holders(DataModule& data) {
    return liveCount(data.src(), QStringLiteral("SELECT count(*) FROM staffs"));
}

std::optional<qint64> recordsInScope(DataModule& data, const EraseScope& scope) {
    if (scope.all) return liveCount(data.att(), QStringLiteral("SELECT n FROM recorder_count"));
    return liveCount(data.att(), QStringLiteral("SELECT count(*) FROM recorder WHERE SYSTIME < ?"),
                     SqlDate(scope.before));
}

void removePictures(const QString& folder) {
    QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.jpg")}, QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

std::optional<LogRecord> oldestRow(DataModule& data) {
    auto row = data.att().queryOne(QStringLiteral("SELECT ") + kLogColumns +
                                       QStringLiteral(" FROM recorder ORDER BY SYSTIME, rowid "
                                                      "LIMIT 1"),
                                   &logRecordFromRow);
    if (!row) data.reportFailure(row.error());
    return row ? *row : std::nullopt;
}

}  // namespace

bool backupDatabaseTo(DataModule& data, Operator& op, DbKind kind, const QString& target) {
    const DbKindInfo& k = kindInfo(kind);
    if (auto allowed = checkOutputTarget(target); !allowed) {
        op.errorDetail(msg::OperationFailed, allowed.error().text);
        return false;
    }
    const QString source = data.filePath(k.file);
    const QByteArray key = k.key;
    return runStoreJob<bool>(op, k.backupTitle, msg::OperationFailed,
                             [source, key, target](WorkContext& work) -> Result<bool> {
                                 auto done = backupDatabaseFile(source, key, target, stepsOf(work));
                                 if (!done) return std::unexpected(done.error());
                                 return true;
                             })
        .has_value();
}

bool BackupDatabase(DataModule& data, Operator& op, DbKind kind) {
    const DbKindInfo& k = kindInfo(kind);
    const auto path =
        op.chooseSaveFile(k.backupTitle, lastPathOf(data, k), msg::DatabaseChooserFilter);
    if (!path || !backupDatabaseTo(data, op, kind, *path)) return false;
    WriteSettingText(k.lastPath, *path);
    op.information(msg::Completed);
    return true;
}

namespace {

// Consoles attached to the folder write the open files: replacing them would lose their edits.
bool refusedForAttached(DataModule& data, Operator& op) {
    if (!consolesAttached(data.dataFolder())) return false;
    op.error(consolesAttachedText(data.dataFolder()));
    return true;
}

}  // namespace

std::optional<QString> restoreDatabaseFrom(DataModule& data, Operator& op, DbKind kind,
                                           const QString& source) {
    if (refusedForAttached(data, op)) return std::nullopt;
    auto copy = judgedRestore(data, op, kind, source);
    if (!copy) return std::nullopt;
    auto kept = keepAndReplaceOnWorker(op, kind, *copy);
    if (kept) pruneAfter(data, kind, *kept);
    return kept;
}

bool RestoreDatabase(DataModule& data, Operator& op, DbKind kind) {
    const DbKindInfo& k = kindInfo(kind);
    const auto path =
        op.chooseOpenFile(k.restoreTitle, lastPathOf(data, k), msg::DatabaseChooserFilter);
    if (!path || refusedForAttached(data, op)) return false;
    auto copy = judgedRestore(data, op, kind, *path);
    if (!copy) return false;
    const QString file = QDir::toNativeSeparators(*path);
    const QString question =
        kind == DbKind::Log
            ? msg::RestoreLogQuestion(
                  file, liveCount(data.att(), QStringLiteral("SELECT n FROM recorder_count")),
                  replacedFolder(data))
            : msg::RestoreSystemQuestion(file, holders(data), replacedFolder(data));
    if (!op.askYesNo(question)) return false;
    data.CloseDatabases();
    const auto kept = keepAndReplaceOnWorker(op, kind, *copy);
    const bool reopened = data.ReopenDatabases();
    if (!kept) return false;
    pruneAfter(data, kind, *kept);
    WriteSettingText(k.lastPath, *path);
    if (!reopened) {
        op.error(msg::RestoredNotOpened(QDir::toNativeSeparators(*kept)));
        return false;
    }
    op.information(msg::Completed);
    return true;
}

// A template is judged as a restore's file is: one that is missing, of another kind or not
// whole never replaces a working database.
// The copies of the live files take seconds on a large log: they are made on a worker.
FormatOutcome formatDataFolder(DataModule& data, Operator& op) {
    if (refusedForAttached(data, op)) return {};
    struct Replaced {
        FormatOutcome out;
        QStringList failures;  // the message, then its reason
    };
    const QDateTime when = appClock().now();
    auto done = runLongWork<Replaced>(op, msg::FormattingDatabase, [&](WorkContext& work) {
        work.runToEnd();
        Replaced r;
        for (const DbKind kind : {DbKind::Log, DbKind::System}) {
            auto kept = replaceByTemplate(data, kind, when);
            if (!kept) {
                r.failures << (kind == DbKind::Log ? msg::LogLocked : msg::SystemLocked)
                           << kept.error().text;
                continue;
            }
            pruneAfter(data, kind, *kept);
            if (!kept->isEmpty()) r.out.kept << *kept;
        }
        r.out.formatted = r.failures.isEmpty();
        // The snapshots belong to the log rows: they go only with both files.
        if (r.out.formatted) removePictures(data.photoFolder());
        return Result<Replaced>(std::move(r));
    });
    if (!done) return {};
    for (qsizetype i = 0; i + 1 < done->failures.size(); i += 2)
        op.errorDetail(done->failures[i], done->failures[i + 1]);
    return done->out;
}

bool FormatDatabase(DataModule& data, Operator& op) {
    if (!op.askYesNo(msg::FormatQuestion)) return false;
    data.CloseDatabases();
    const bool formatted = formatDataFolder(data, op).formatted;
    data.ReopenDatabases();
    // A file that could not be replaced has been named; calling that "formatted" would not be true.
    if (formatted) op.information(msg::DatabaseFormatted);
    return formatted;
}

std::optional<Erased> eraseLog(DataModule& data, Operator& op, const EraseScope& scope) {
    const QString log = data.filePath(kLogFile);
    const QString photos = data.photoFolder();
    const QDateTime when = appClock().now();
    auto erased =
        runStoreJob<Erased>(op, msg::ErasingLog, msg::UpdateFailed,
                            [log, photos, scope, when](WorkContext& work) -> Result<Erased> {
                                Erased out;
                                auto keep = [&]() -> Result<QString> {
                                    work.setPart(0, 40);
                                    auto kept = keepReplacedCopy(
                                        log, kLogKey, when, DamagedLive::Refuse, stepsOf(work));
                                    work.setPart(40, 100);
                                    if (!kept) return fail(msg::CopyNotKept + kept.error().text);
                                    out.kept = *kept;
                                    return kept;
                                };
                                auto rows = eraseLogRows(log, photos, scope, stepsOf(work), keep);
                                if (!rows) return std::unexpected(rows.error());
                                out.rows = *rows;
                                return out;
                            });
    if (erased) pruneAfter(data, DbKind::Log, erased->kept);
    return erased;
}

EraseLogOutcome EraseLogDatabase(DataModule& data, Operator& op, const EraseScope& scope) {
    EraseLogOutcome out;
    if (!op.askYesNo(msg::EraseLogQuestion(recordsInScope(data, scope), replacedFolder(data))))
        return out;
    out.asked = true;
    {
        const LogViewHold hidden(data);
        out.done = eraseLog(data, op, scope).has_value();
    }
    out.firstRemaining = oldestRow(data);
    return out;
}

bool EraseStaffRecords(DataModule& data, Operator& op) {
    if (!op.askYesNo(msg::EraseStaffQuestion(holders(data), replacedFolder(data)))) return false;
    const LogViewHold hidden(data);
    const QString system = data.filePath(kSystemFile);
    const QDateTime when = appClock().now();
    QString kept;
    const bool done = runStoreJob<qint64>(
                          op, msg::ErasingStaff, msg::UpdateFailed,
                          [system, when, &kept](WorkContext& work) {
                              auto keep = [&]() -> Result<QString> {
                                  work.setPart(0, 40);
                                  auto copy = keepReplacedCopy(system, kSystemKey, when,
                                                               DamagedLive::Refuse, stepsOf(work));
                                  work.setPart(40, 100);
                                  if (!copy) return fail(msg::CopyNotKept + copy.error().text);
                                  kept = *copy;
                                  return copy;
                              };
                              return eraseStaffRows(system, stepsOf(work), keep);
                          })
                          .has_value();
    if (done) pruneAfter(data, DbKind::System, kept);
    return done;
}

}  // namespace tallyport
