#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tallyport {

// A prepared statement. Values are bound by position, from 1; columns are read by index or
// by name (names compare without regard to case, as the store's names do).
//
// Every failure is an error, never "no rows": a bind that the engine refuses is kept and
// reported by the next step(), and collect()/first() hand rows back only when the whole read
// succeeded.
class Statement {
public:
    Statement() = default;
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    Statement& bind(int index, std::nullptr_t);
    Statement& bind(int index, int value) { return bind(index, qint64(value)); }
    Statement& bind(int index, qint64 value);
    Statement& bind(int index, bool value) { return bind(index, qint64(value ? 1 : 0)); }
    Statement& bind(int index, double value);
    Statement& bind(int index, const QString& value);
    Statement& bind(int index, const QByteArray& blob);
    template <typename... Args>
    Statement& bindAll(const Args&... args) {
        int i = 0;
        (bind(++i, args), ...);
        return *this;
    }

    // Next row: true when a row is there, false at the end.
    Result<bool> step();
    // Ready to run again, with no values bound.
    Result<void> reset();

    // Every remaining row, each turned into a T by `fromRow(const Statement&)`.
    template <typename F>
    auto collect(F&& fromRow) -> Result<std::vector<decltype(fromRow(*this))>> {
        std::vector<decltype(fromRow(*this))> out;
        for (;;) {
            auto more = step();
            if (!more) return std::unexpected(more.error());
            if (!*more) return out;
            out.push_back(fromRow(*this));
        }
    }
    // The next row turned into a T, or nothing when no row is left.
    template <typename F>
    auto first(F&& fromRow) -> Result<std::optional<decltype(fromRow(*this))>> {
        using T = decltype(fromRow(*this));
        auto more = step();
        if (!more) return std::unexpected(more.error());
        if (!*more) return std::optional<T>{};
        return std::optional<T>{fromRow(*this)};
    }

    int columnCount() const;
    int columnIndex(const QString& name) const;  // -1 when absent
    QString columnName(int i) const;
    bool isNull(int i) const;
    qint64 int64(int i) const;
    int integer(int i) const { return int(int64(i)); }
    bool yesNo(int i) const { return int64(i) != 0; }
    double real(int i) const;
    QString text(int i) const;
    QByteArray blob(int i) const;

private:
    friend class Database;
    Statement(sqlite3* db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    void noteBind(int rc, int index);
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    std::optional<Error> m_bindError;  // the first refused bind since the last reset
};

// How an open answers a file that the key does not open: not a database of this kind.
inline const QString kNotOfThisKind = QStringLiteral("Not a database of this kind or wrong key");

// One connection to a keyed SQLCipher file. Opening checks that the cipher answers and that
// the key opens the file; a file that does not open with the key is reported as an error.
class Database {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };
    // How long a statement waits for another connection's lock unless told otherwise.
    static constexpr int kBusyTimeoutMs = 5000;

    Database() = default;
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    static Result<Database> open(const QString& path, const QByteArray& key, Mode mode);

    bool isOpen() const { return m_db != nullptr; }
    void close();
    // How long a statement waits for another connection's lock before it fails
    // (kBusyTimeoutMs by default: an import's batch or a backup step is far shorter).
    void setBusyTimeout(int ms);
    const QString& path() const { return m_path; }
    // The last failure was another connection's lock that did not come free in time.
    bool lastFailureWasBusy() const;

    Result<void> exec(const QString& sql);
    Result<Statement> prepare(const QString& sql);

    // Runs a statement with its values bound; for writes.
    template <typename... Args>
    Result<void> run(const QString& sql, const Args&... args) {
        auto st = prepare(sql);
        if (!st) return std::unexpected(st.error());
        st->bindAll(args...);
        auto r = st->step();
        if (!r) return std::unexpected(r.error());
        return {};
    }

    // The first column of the first row, or nothing when no row answers.
    template <typename... Args>
    Result<std::optional<qint64>> scalarInt(const QString& sql, const Args&... args) {
        auto row = queryOne(
            sql,
            [](const Statement& st) {
                return st.isNull(0) ? std::optional<qint64>{} : st.int64(0);
            },
            args...);
        if (!row) return std::unexpected(row.error());
        return row->value_or(std::nullopt);
    }

    // The one way to read rows: every row of a query with its values bound, each turned into
    // a T by `fromRow(const Statement&)`; a failure anywhere is the answer, never fewer rows.
    template <typename F, typename... Args>
    auto query(const QString& sql, F&& fromRow, const Args&... args)
        -> Result<std::vector<std::invoke_result_t<F&, const Statement&>>> {
        auto st = prepare(sql);
        if (!st) return std::unexpected(st.error());
        st->bindAll(args...);
        return st->collect(fromRow);
    }
    // The first row only, or nothing when no row answers.
    template <typename F, typename... Args>
    auto queryOne(const QString& sql, F&& fromRow, const Args&... args)
        -> Result<std::optional<std::invoke_result_t<F&, const Statement&>>> {
        auto st = prepare(sql);
        if (!st) return std::unexpected(st.error());
        st->bindAll(args...);
        return st->first(fromRow);
    }

    qint64 lastInsertRowId() const;
    int changes() const;
    QString lastError() const;
    // False once the engine has ended a transaction by itself (a full disk, an I/O error),
    // which a failed statement inside it may do: the rows written in it are gone.
    bool inTransaction() const;

    // Copies this database page by page into `target`, a file opened with the same key, with
    // the engine's online backup. Every page comes from one read transaction: the copy is the
    // database as it stood when the copy began, while other connections go on writing (WAL).
    // `step` hears the pages done of the total after each batch and stops the copy by
    // answering false.
    Result<void> copyInto(Database& target,
                          const std::function<bool(qint64 done, qint64 total)>& step = {});

private:
    sqlite3* m_db = nullptr;
    QString m_path;
};

// Commits when told to; rolls back when left without a commit (a failure half-way leaves
// the file as it was). A transaction that could not begin says why, and so does its commit.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    bool begun() const { return m_begin.has_value(); }
    // Why it could not begin; an empty error when it did.
    const Result<void>& beginResult() const { return m_begin; }
    Result<void> commit();

private:
    Database& m_db;
    Result<void> m_begin;
    bool m_done = false;
};

}  // namespace tallyport
