#pragma once

#include "base/error.h"
#include "store/sqlcipher_db.h"

namespace tallyport {

// The keys of the two kinds of database file.
inline const QByteArray kLogKey = QByteArrayLiteral("Qv7m");
inline const QByteArray kSystemKey = QByteArrayLiteral("Rk4p.zx");

// File names in the data folder.
inline const QString kLogFile = QStringLiteral("attend.db");
inline const QString kSystemFile = QStringLiteral("sysdat.db");
inline const QString kLogTemplate = QStringLiteral("attend-b.db");
inline const QString kSystemTemplate = QStringLiteral("sysdat-b.db");
inline const QString kPhotoFolder = QStringLiteral("photos");

inline constexpr int kLogSchemaVersion = 1;
inline constexpr int kSystemSchemaVersion = 1;

// Creates every table of a new file, with the rows a blank database starts with.
Result<void> createLogSchema(Database& db);
Result<void> createSystemSchema(Database& db);

// Brings an older file up to this program's schema in one transaction; a file newer than the
// program is refused.
Result<void> upgradeLogSchema(Database& db);
Result<void> upgradeSystemSchema(Database& db);

// Refuses a database that lacks a table, a column or a trigger of those `create` makes (names
// compare without regard to case, as the store's names do); the error names what is missing.
// The reference is made by the schema code itself in memory, never kept as a second list.
Result<void> checkHoldsSchema(Database& db, Result<void> (*create)(Database&));

// Default group, and the eight reader rows.
inline constexpr int kDefaultGroupId = 1;
inline const QString kDefaultGroupName = QStringLiteral("DEFAULT");
inline constexpr int kReaderCount = 8;

}  // namespace tallyport
