// Thin SQLite helpers for the registry store: statements that finalise themselves,
// transactions that roll back unless committed, and the mapping of SQLite failures to Windows
// error codes (with SQLite's own text on standard error, so that failures can be diagnosed).
#pragma once

#include "win32/types.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace win32::registry {

// Logs SQLite's error text for `what` and returns the Windows code the registry reports:
// ERROR_REGISTRY_CORRUPT for a damaged database, ERROR_REGISTRY_IO_FAILED otherwise.
LSTATUS SqliteFailure(sqlite3* db, int code, const char* what);

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, as in SQLite.
    void Bind(int index, int64_t value);
    void Bind(int index, const std::string& text);
    void BindBlob(int index, const std::vector<BYTE>& data);

    // SQLITE_ROW, SQLITE_DONE or an error code (also when preparing failed).
    int Step();
    // Runs the statement to its end; ERROR_SUCCESS or the mapped failure.
    LSTATUS Run(const char* what);

    int64_t Int(int column) const;
    std::string Text(int column) const;
    std::vector<BYTE> Blob(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_prepareResult;
};

class Transaction {
public:
    // A write transaction takes the write lock at once (BEGIN IMMEDIATE), so that it never has
    // to upgrade a read lock and deadlock against another process.
    Transaction(sqlite3* db, bool write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    LSTATUS Begun() const { return m_begun; }
    LSTATUS Commit();

private:
    sqlite3* m_db;
    LSTATUS m_begun;
    bool m_open = false;
};

} // namespace win32::registry
