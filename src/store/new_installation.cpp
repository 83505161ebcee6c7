// Making the files of a new installation: the blank templates from the schema, the live files
// from the templates.
#include "store/data_module.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>

namespace tallyport {
namespace {

// Written under a temporary name and renamed, so a failure never leaves a half-made template.
Result<void> makeTemplate(const QString& path, const QByteArray& key,
                          Result<void> (*create)(Database&)) {
    const QString tmp = path + QStringLiteral(".new");
    QFile::remove(tmp);
    {
        auto db = Database::open(tmp, key, Database::Mode::Create);
        if (!db) return std::unexpected(db.error());
        if (auto r = create(*db); !r) {
            db->close();
            QFile::remove(tmp);
            return r;
        }
        // A template is copied as one file: no journal beside it.
        if (auto r = db->exec(QStringLiteral("PRAGMA journal_mode = DELETE")); !r) return r;
    }
    if (!QFile::rename(tmp, path)) {
        QFile::remove(tmp);
        return fail(QStringLiteral("Cannot create ") + path);
    }
    return {};
}

Result<void> copyFile(const QString& from, const QString& to) {
    const QString tmp = to + QStringLiteral(".new");
    QFile::remove(tmp);
    if (!QFile::copy(from, tmp) || !QFile::rename(tmp, to)) {
        QFile::remove(tmp);
        return fail(QStringLiteral("Cannot create ") + to);
    }
    return {};
}

}  // namespace

Result<bool> DataModule::prepareDataFolder() {
    if (!QDir().mkpath(m_folder))
        return fail(QStringLiteral("Cannot create directory: ") + m_folder);
    for (const QString& f : {kLogFile, kSystemFile, kLogTemplate, kSystemTemplate})
        if (QFile::exists(filePath(f))) return false;  // not new: what is missing is reported later
    if (auto r = makeTemplate(filePath(kLogTemplate), kLogKey, &createLogSchema); !r)
        return std::unexpected(r.error());
    if (auto r = makeTemplate(filePath(kSystemTemplate), kSystemKey, &createSystemSchema); !r)
        return std::unexpected(r.error());
    if (auto r = copyFile(filePath(kLogTemplate), filePath(kLogFile)); !r)
        return std::unexpected(r.error());
    if (auto r = copyFile(filePath(kSystemTemplate), filePath(kSystemFile)); !r)
        return std::unexpected(r.error());
    return true;
}

}  // namespace tallyport
