#include "registry_sqlite.h"
#include "win32/trace.h"

#include <cstdio>

namespace win32::registry {

LSTATUS SqliteFailure(sqlite3* db, int code, const char* what) {
    Trace("registry", "%s: %s (%d)", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(code), code);
    int primary = code & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) {
        return ERROR_REGISTRY_CORRUPT;
    }
    return ERROR_REGISTRY_IO_FAILED;
}

Statement::Statement(sqlite3* db, const std::string& sql) : m_db(db) {
    m_prepareResult =
        sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &m_stmt, nullptr);
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::Bind(int index, int64_t value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void Statement::Bind(int index, const std::string& text) {
    sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void Statement::BindBlob(int index, const std::vector<BYTE>& data) {
    // A zero-length blob still has to be a blob, never NULL.
    static const BYTE kEmpty = 0;
    sqlite3_bind_blob(m_stmt, index, data.empty() ? &kEmpty : data.data(),
                      static_cast<int>(data.size()), SQLITE_TRANSIENT);
}

int Statement::Step() {
    if (m_prepareResult != SQLITE_OK) {
        return m_prepareResult;
    }
    return sqlite3_step(m_stmt);
}

LSTATUS Statement::Run(const char* what) {
    int result;
    while ((result = Step()) == SQLITE_ROW) {
    }
    return result == SQLITE_DONE ? ERROR_SUCCESS : SqliteFailure(m_db, result, what);
}

int64_t Statement::Int(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

std::string Statement::Text(int column) const {
    const auto* text = sqlite3_column_text(m_stmt, column);
    int size = sqlite3_column_bytes(m_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), size) : std::string();
}

std::vector<BYTE> Statement::Blob(int column) const {
    const auto* data = static_cast<const BYTE*>(sqlite3_column_blob(m_stmt, column));
    int size = sqlite3_column_bytes(m_stmt, column);
    return data ? std::vector<BYTE>(data, data + size) : std::vector<BYTE>();
}

Transaction::Transaction(sqlite3* db, bool write) : m_db(db) {
    int result = sqlite3_exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
    m_begun = result == SQLITE_OK ? ERROR_SUCCESS : SqliteFailure(db, result, "begin");
    m_open = result == SQLITE_OK;
}

Transaction::~Transaction() {
    if (m_open) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

LSTATUS Transaction::Commit() {
    int result = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (result != SQLITE_OK) {
        return SqliteFailure(m_db, result, "commit"); // the destructor rolls back
    }
    m_open = false;
    return ERROR_SUCCESS;
}

} // namespace win32::registry
