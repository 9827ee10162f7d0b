#pragma once
// The server engine's own statements, beside its table of the store's (StoreStatement.h): the
// address book's tables, which a file is shipped with, and the mark of the schema's version,
// which a file has no need of.

namespace dorvane {

enum class ServerSchemaStatement {
    CreateSendAddress,
    CreateReceiptAddress,
    CreateProductName,
    CreateVersionTable,
    ReadVersion, // one row: the schema's version, 0 for none
    // Held to the end of the transaction: stations that connect at the same moment make the
    // schema one after the other.
    LockSchema,
    ClearVersion,
    MarkVersion, // $1 the version
};
inline constexpr int kServerSchemaStatementCount = static_cast<int>(ServerSchemaStatement::MarkVersion) + 1;

// The statement's text; null only for a number that names no statement.
const char* ServerSchemaText(ServerSchemaStatement statement);

} // namespace dorvane
