#pragma once
// Every statement the store runs, by name. Each engine has its own table giving each one's
// complete text in that engine's dialect (FileStatements.cpp for SQLite, ServerStatements.cpp
// for PostgreSQL): the file's take their values as ?1, ?2 ..., the server's as $1, $2 ...,
// bound in order, never pasted into the text. Callers name the statement; the session's engine
// gives the text.

namespace dorvane {

enum class StoreStatement {
    // The address book's three tables: the rows as (id, text) in the order of their ids; add
    // ?1 text (the database gives the id); change ?1 text, ?2 id; remove ?1 id; count the rows.
    SendAddressList,
    SendAddressAdd,
    SendAddressChange,
    SendAddressRemove,
    SendAddressCount,
    ReceiptAddressList,
    ReceiptAddressAdd,
    ReceiptAddressChange,
    ReceiptAddressRemove,
    ReceiptAddressCount,
    ProductNameList,
    ProductNameAdd,
    ProductNameChange,
    ProductNameRemove,
    ProductNameCount,

    // ?1 a table's name: one row, 1 when the store holds the table, else 0.
    HasTable,

    // The print log's table, its indexes and the four columns that came later (order number,
    // destination, check print, entry id): a file's log made before them gets them added.
    PrintLogCreate,
    PrintLogRecipientIndex,
    PrintLogEntryIdIndex,
    PrintLogColumnNames, // the table's columns, each row's column 1 a name
    PrintLogAddOrderNumber,
    PrintLogAddDestination,
    PrintLogAddCheckPrint,
    PrintLogAddEntryId,
    PrintLogCount,

    // ?1 .. ?29: time, template, printer, source, waybill, field0 .. field19, order number,
    // destination, check print, entry id. An entry id the log holds is left out; the database
    // gives the id.
    PrintLogInsert,

    // Reads of whole entries: id, time, template, printer, source, waybill, field0 .. field19,
    // then the four later columns. Each has an "Older" twin for a file's log made before the
    // later columns, which reads them as null.
    // ?1 since, ?2 until, ?3 name, ?4 telephone, ?5 address, ?6 any of them or the waybill
    // number, ?7 the most rows, ?8 1 when name, telephone and address also search the
    // sender's; a part bound to null keeps every row. Newest first.
    PrintLogSearch,
    PrintLogSearchOlder,
    // ?1 id
    PrintLogFind,
    PrintLogFindOlder,
    // Every entry, oldest first, for a copy to another store.
    PrintLogAll,
    PrintLogAllOlder,
    // printer, field3, field12, field9, field7, field14, field15, order number, destination,
    // check print, oldest first.
    PrintLogPrintedOrders,
    PrintLogPrintedOrdersOlder,

    // The recipient's name, mobile, telephone and address (field3, field12, field9, field7) of
    // every entry, oldest first, and of the newest alone.
    PrintLogRecipients,
    PrintLogNewestRecipient,
    // The time of the newest waybill to a recipient since a time: ?1 name, ?2 mobile,
    // ?3 telephone, ?4 address, ?5 since. Found through the PrintLogRecipient index.
    PrintLogLastPrintTo,
};
// How many there are: the last one's number and one.
inline constexpr int kStoreStatementCount = static_cast<int>(StoreStatement::PrintLogLastPrintTo) + 1;

// An engine's table: the statement's text, null only for a number that names no statement.
using StatementTable = const char* (*)(StoreStatement statement);
const char* FileStatementText(StoreStatement statement);
const char* ServerStatementText(StoreStatement statement);

} // namespace dorvane
