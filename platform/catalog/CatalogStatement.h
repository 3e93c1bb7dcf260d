#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace catalog {

class CatalogConnection;

// One statement, prepared once for the life of the connection. Host text is
// kept as UTF-8.
class CatalogStatement {
public:
    CatalogStatement(CatalogConnection& connection, std::string_view sql);
    ~CatalogStatement();
    CatalogStatement(const CatalogStatement&) = delete;
    CatalogStatement& operator=(const CatalogStatement&) = delete;

    const CatalogConnection& Connection() const { return connection_; }

    CatalogStatement& BindInteger(int index, std::int64_t value);
    CatalogStatement& BindReal(int index, double value);
    CatalogStatement& BindUtf8(int index, std::string_view text);
    CatalogStatement& BindText(int index, std::u16string_view text);

    // Runs to the next row; false when the statement is done.
    bool Step();
    // Makes the statement ready to run again.
    void Reset();

    std::int64_t Integer(int column) const;
    double Real(int column) const;
    std::string Utf8(int column) const;
    std::u16string Text(int column) const;

private:
    void Check(int result) const;

    CatalogConnection& connection_;
    sqlite3_stmt* statement_ = nullptr;
};

// Resets a statement when its use ends, however it ends, so that no finished
// query keeps a read snapshot open.
class StatementUse {
public:
    explicit StatementUse(CatalogStatement& statement) : statement_(statement) {}
    ~StatementUse() { statement_.Reset(); }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

private:
    CatalogStatement& statement_;
};

}  // namespace catalog
