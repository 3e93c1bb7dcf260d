#include "catalog/CatalogStatement.h"

#include <sqlite3.h>

#include "base/Utf16.h"
#include "catalog/CatalogConnection.h"
#include "catalog/CatalogErrors.h"

namespace catalog {

CatalogStatement::CatalogStatement(CatalogConnection& connection, std::string_view sql) : connection_(connection) {
    sqlite3* db = connection_.Handle();
    int result = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                    &statement_, nullptr);
    // The statements are the store's own: when one does not fit the file,
    // the file's tables are not the catalog's.
    if ((result & 0xFF) == SQLITE_ERROR) ThrowDamaged(connection_.FileName(), velmora::FromUtf8(sqlite3_errmsg(db)));
    Check(result);
}

CatalogStatement::~CatalogStatement() { sqlite3_finalize(statement_); }

void CatalogStatement::Check(int result) const {
    if (result != SQLITE_OK) connection_.Fail(result);
}

CatalogStatement& CatalogStatement::BindInteger(int index, std::int64_t value) {
    Check(sqlite3_bind_int64(statement_, index, value));
    return *this;
}

CatalogStatement& CatalogStatement::BindReal(int index, double value) {
    Check(sqlite3_bind_double(statement_, index, value));
    return *this;
}

CatalogStatement& CatalogStatement::BindUtf8(int index, std::string_view text) {
    // An empty view may carry no pointer, which SQLite would store as NULL.
    const char* characters = text.empty() ? "" : text.data();
    Check(sqlite3_bind_text64(statement_, index, characters, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
    return *this;
}

CatalogStatement& CatalogStatement::BindText(int index, std::u16string_view text) {
    return BindUtf8(index, velmora::ToUtf8(text));
}

bool CatalogStatement::Step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    connection_.Fail(result);
}

void CatalogStatement::Reset() { sqlite3_reset(statement_); }

std::int64_t CatalogStatement::Integer(int column) const { return sqlite3_column_int64(statement_, column); }

double CatalogStatement::Real(int column) const { return sqlite3_column_double(statement_, column); }

std::string CatalogStatement::Utf8(int column) const {
    auto characters = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (characters == nullptr) return {};
    return std::string(characters, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)));
}

std::u16string CatalogStatement::Text(int column) const { return velmora::FromUtf8(Utf8(column)); }

}  // namespace catalog
