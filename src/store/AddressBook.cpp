#include "store/AddressBook.h"

#include "store/StoreSession.h"
#include "text/Utf8CodePage.h"

#include <optional>

namespace dorvane {

namespace {

// The statements of one of the address book's tables, and its name for messages.
struct TableStatements {
    const char* name;
    StoreStatement list, add, change, remove;
};

TableStatements StatementsOf(AddressTable table)
{
    using S = StoreStatement;
    switch (table) {
    case AddressTable::SendAddress:
        return {"SendAddress", S::SendAddressList, S::SendAddressAdd, S::SendAddressChange,
                S::SendAddressRemove};
    case AddressTable::ReceiptAddress:
        return {"ReceiptAddress", S::ReceiptAddressList, S::ReceiptAddressAdd, S::ReceiptAddressChange,
                S::ReceiptAddressRemove};
    case AddressTable::ProductName:
        break;
    }
    return {"ProductName", S::ProductNameList, S::ProductNameAdd, S::ProductNameChange, S::ProductNameRemove};
}

// Runs a change statement in its own transaction: ?1 bound to text (when given), the id to the
// next parameter. what names the change for a message.
Result<StoreChange> Execute(const StoreLocation& location, StoreStatement statement, const std::string& what,
                            const std::optional<std::string_view>& text, std::optional<std::int64_t> id)
{
    std::vector<StoreValue> values;
    if (text) {
        auto utf8 = Utf8FromCodePage(*text);
        if (!utf8)
            return StoreError{StoreError::StatementFailed, what + ": the text is not valid GB18030"};
        values.emplace_back(std::move(*utf8));
    }
    if (id)
        values.emplace_back(*id);
    auto session = OpenSession(location, true);
    if (!session)
        return session.error();
    auto done = session.value()->Change(statement, values);
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
    const StoreStatement list = StatementsOf(table).list;
    auto session = OpenSession(location_, false);
    if (!session)
        return session.error();
    std::vector<StoredText> rows;
    const auto columns = session.value()->Query(list, {}, [&rows](const StoreRow& row) {
        rows.push_back({row.Integer(0), CodePageFromUtf8(row.Text(1))});
    });
    if (!columns)
        return columns.error();
    if (columns.value() < 2)
        return StoreError{StoreError::StatementFailed, std::string(session.value()->Text(list)) +
                                                           ": the table has fewer than two columns"};
    return rows;
}

Result<std::int64_t> AddressBook::Add(AddressTable table, std::string_view text) const
{
    const TableStatements statements = StatementsOf(table);
    auto done =
        Execute(location_, statements.add, std::string("insert into ") + statements.name, text, std::nullopt);
    if (!done)
        return done.error();
    return done.value().insertedId;
}

Result<void> AddressBook::Change(AddressTable table, std::int64_t id, std::string_view text) const
{
    const TableStatements statements = StatementsOf(table);
    auto done = Execute(location_, statements.change, std::string("update ") + statements.name, text, id);
    if (!done)
        return done.error();
    if (done.value().rows == 0)
        return StoreError{StoreError::StatementFailed, "这条记录已不存在（可能已在另一台电脑上删除），修改没有保存。"};
    return {};
}

Result<void> AddressBook::Delete(AddressTable table, std::int64_t id) const
{
    const TableStatements statements = StatementsOf(table);
    auto done = Execute(location_, statements.remove, std::string("delete from ") + statements.name,
                        std::nullopt, id);
    if (!done)
        return done.error();
    return {};
}

} // namespace dorvane
