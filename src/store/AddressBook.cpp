#include "store/AddressBook.h"

#include "store/AddressBookStatements.h"
#include "store/StoreSession.h"
#include "text/Utf8CodePage.h"

#include <optional>

namespace dorvane {

namespace {

const TableStatements& StatementsOf(AddressTable table)
{
    switch (table) {
    case AddressTable::SendAddress:
        return kSendAddressStatements;
    case AddressTable::ReceiptAddress:
        return kReceiptAddressStatements;
    case AddressTable::ProductName:
        break;
    }
    return kProductNameStatements;
}

// Runs a change statement in its own transaction: ?1 bound to text (when given), the id to the
// next parameter.
Result<StoreChange> Execute(const StoreLocation& location, const char* sql,
                            const std::optional<std::string_view>& text, std::optional<std::int64_t> id)
{
    std::vector<StoreValue> values;
    if (text) {
        auto utf8 = Utf8FromCodePage(*text);
        if (!utf8)
            return StoreError{StoreError::StatementFailed, std::string(sql) + ": the text is not valid GB18030"};
        values.emplace_back(std::move(*utf8));
    }
    if (id)
        values.emplace_back(*id);
    auto session = OpenSession(location, true);
    if (!session)
        return session.error();
    auto done = session.value()->Change(sql, values);
    if (!done)
        return done.error();
    if (auto committed = session.value()->Commit(); !committed)
        return committed.error();
    return done;
}

} // namespace

std::filesystem::path AddressBookPath(const std::filesystem::path& workFolder)
{
    return workFolder / "dataM" / kAddressBookFileName;
}

std::string UserMessage(const StoreError& error)
{
    if (error.kind == StoreError::CannotOpen && error.insecureServer)
        return kCannotOpenDatabaseText + CodePageFromUtf8(kInsecureServerText);
    if (error.kind == StoreError::CannotOpen)
        return kCannotOpenDatabaseText;
    return CodePageFromUtf8(error.message);
}

Result<std::vector<StoredText>> AddressBook::List(AddressTable table) const
{
    const char* sql = StatementsOf(table).list;
    auto session = OpenSession(location_, false);
    if (!session)
        return session.error();
    std::vector<StoredText> rows;
    const auto columns = session.value()->Query(sql, {}, [&rows](const StoreRow& row) {
        rows.push_back({row.Integer(0), CodePageFromUtf8(row.Text(1))});
    });
    if (!columns)
        return columns.error();
    if (columns.value() < 2)
        return StoreError{StoreError::StatementFailed, std::string(sql) + ": the table has fewer than two columns"};
    return rows;
}

Result<std::int64_t> AddressBook::Add(AddressTable table, std::string_view text) const
{
    auto done = Execute(location_, StatementsOf(table).add, text, std::nullopt);
    if (!done)
        return done.error();
    return done.value().insertedId;
}

Result<void> AddressBook::Change(AddressTable table, std::int64_t id, std::string_view text) const
{
    const char* sql = StatementsOf(table).change;
    auto done = Execute(location_, sql, text, id);
    if (!done)
        return done.error();
    if (done.value().rows == 0)
        return StoreError{StoreError::StatementFailed, "这条记录已不存在（可能已在另一台电脑上删除），修改没有保存。"};
    return {};
}

Result<void> AddressBook::Delete(AddressTable table, std::int64_t id) const
{
    auto done = Execute(location_, StatementsOf(table).remove, std::nullopt, id);
    if (!done)
        return done.error();
    return {};
}

} // namespace dorvane
