// The file engine's statements, in SQLite's dialect. The address book's are the program's
// long-standing ones; the print log's table is made on first use.

#include "store/StoreStatement.h"

namespace dorvane {

// Parts of the print log's reads, joined at compile time.
#define DORVANE_LOG_ENTRY                                                                                    \
    "select id, time, template, printer, source, waybill, field0, field1, field2, field3, field4, field5, "  \
    "field6, field7, field8, field9, field10, field11, field12, field13, field14, field15, field16, "        \
    "field17, field18, field19, "
#define DORVANE_LOG_LATER "ordernumber, destination, checkprint, entryid from PrintLog "
#define DORVANE_LOG_NO_LATER "null, null, null, null from PrintLog "
// Names: sender field1, recipient field3; numbers: sender 8, 10, recipient 9, 12; addresses:
// sender 6, recipient 7.
#define DORVANE_LOG_SEARCH                                                                                   \
    "where (?1 is null or time >= ?1) and (?2 is null or substr(time, 1, 10) <= ?2) "                        \
    "and (?3 is null or instr(field3, ?3) > 0 or (?8 = 1 and instr(field1, ?3) > 0)) "                       \
    "and (?4 is null or instr(field9, ?4) > 0 or instr(field12, ?4) > 0 "                                    \
    "or (?8 = 1 and (instr(field8, ?4) > 0 or instr(field10, ?4) > 0))) "                                    \
    "and (?5 is null or instr(field7, ?5) > 0 or (?8 = 1 and instr(field6, ?5) > 0)) "                       \
    "and (?6 is null or instr(field1, ?6) > 0 or instr(field3, ?6) > 0 or instr(field8, ?6) > 0 "            \
    "or instr(field9, ?6) > 0 or instr(field10, ?6) > 0 or instr(field12, ?6) > 0 "                          \
    "or instr(field6, ?6) > 0 or instr(field7, ?6) > 0 or instr(waybill, ?6) > 0) "                          \
    "order by id desc limit ?7"
#define DORVANE_LOG_PRINTED "select printer, field3, field12, field9, field7, field14, field15, "

const char* FileStatementText(StoreStatement statement)
{
    using S = StoreStatement;
    switch (statement) {
    case S::SendAddressList:
        return "select * from SendAddress";
    case S::SendAddressAdd:
        return "insert into SendAddress ([address]) values(?1)";
    case S::SendAddressChange:
        return "update SendAddress set address = ?1 where id = ?2";
    case S::SendAddressRemove:
        return "delete from SendAddress where id = ?1";
    case S::SendAddressCount:
        return "select count(*) from SendAddress";
    case S::ReceiptAddressList:
        return "select * from ReceiptAddress";
    case S::ReceiptAddressAdd:
        return "insert into ReceiptAddress ([address]) values(?1)";
    case S::ReceiptAddressChange:
        return "update ReceiptAddress set address = ?1 where id = ?2";
    case S::ReceiptAddressRemove:
        return "delete from ReceiptAddress where id = ?1";
    case S::ReceiptAddressCount:
        return "select count(*) from ReceiptAddress";
    case S::ProductNameList:
        return "select * from ProductName";
    case S::ProductNameAdd:
        return "insert into ProductName ([name]) values(?1)";
    case S::ProductNameChange:
        return "update ProductName set name = ?1 where id = ?2";
    case S::ProductNameRemove:
        return "delete from ProductName where id = ?1";
    case S::ProductNameCount:
        return "select count(*) from ProductName";

    case S::HasTable:
        return "select count(*) from sqlite_master where type = 'table' and name = ?1";

    case S::PrintLogCreate:
        return "CREATE TABLE IF NOT EXISTS PrintLog (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT "
               "NULL, template TEXT NOT NULL, printer TEXT NOT NULL, source TEXT NOT NULL, waybill TEXT NOT "
               "NULL, field0 TEXT, field1 TEXT, field2 TEXT, field3 TEXT, field4 TEXT, field5 TEXT, field6 "
               "TEXT, field7 TEXT, field8 TEXT, field9 TEXT, field10 TEXT, field11 TEXT, field12 TEXT, "
               "field13 TEXT, field14 TEXT, field15 TEXT, field16 TEXT, field17 TEXT, field18 TEXT, field19 "
               "TEXT, ordernumber TEXT, destination TEXT, checkprint TEXT, entryid TEXT)";
    // The recipient's name (its first characters, so that no text is too long for an index
    // entry) and the time.
    case S::PrintLogRecipientIndex:
        return "CREATE INDEX IF NOT EXISTS PrintLogRecipient ON PrintLog ((substr(field3, 1, 32)), time)";
    case S::PrintLogEntryIdIndex:
        return "CREATE UNIQUE INDEX IF NOT EXISTS PrintLogEntryId ON PrintLog (entryid)";
    case S::PrintLogColumnNames:
        return "pragma table_info(PrintLog)";
    case S::PrintLogAddOrderNumber:
        return "ALTER TABLE PrintLog ADD COLUMN ordernumber TEXT";
    case S::PrintLogAddDestination:
        return "ALTER TABLE PrintLog ADD COLUMN destination TEXT";
    case S::PrintLogAddCheckPrint:
        return "ALTER TABLE PrintLog ADD COLUMN checkprint TEXT";
    case S::PrintLogAddEntryId:
        return "ALTER TABLE PrintLog ADD COLUMN entryid TEXT";
    case S::PrintLogCount:
        return "select count(*) from PrintLog";

    case S::PrintLogInsert:
        return "insert into PrintLog (time, template, printer, source, waybill, field0, field1, field2, "
               "field3, field4, field5, field6, field7, field8, field9, field10, field11, field12, field13, "
               "field14, field15, field16, field17, field18, field19, ordernumber, destination, checkprint, "
               "entryid) values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, "
               "?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, ?26, ?27, ?28, ?29) on conflict (entryid) do nothing";

    case S::PrintLogSearch:
        return DORVANE_LOG_ENTRY DORVANE_LOG_LATER DORVANE_LOG_SEARCH;
    case S::PrintLogSearchOlder:
        return DORVANE_LOG_ENTRY DORVANE_LOG_NO_LATER DORVANE_LOG_SEARCH;
    case S::PrintLogFind:
        return DORVANE_LOG_ENTRY DORVANE_LOG_LATER "where id = ?1";
    case S::PrintLogFindOlder:
        return DORVANE_LOG_ENTRY DORVANE_LOG_NO_LATER "where id = ?1";
    case S::PrintLogAll:
        return DORVANE_LOG_ENTRY DORVANE_LOG_LATER "order by id";
    case S::PrintLogAllOlder:
        return DORVANE_LOG_ENTRY DORVANE_LOG_NO_LATER "order by id";
    case S::PrintLogPrintedOrders:
        return DORVANE_LOG_PRINTED "ordernumber, destination, checkprint from PrintLog order by id";
    case S::PrintLogPrintedOrdersOlder:
        return DORVANE_LOG_PRINTED "null, null, null from PrintLog order by id";

    case S::PrintLogRecipients:
        return "select field3, field12, field9, field7 from PrintLog order by id";
    case S::PrintLogNewestRecipient:
        return "select field3, field12, field9, field7 from PrintLog order by id desc limit 1";
    // The name's prefix is the index's own expression, so that the lookup goes through the
    // index; the rest of the name is compared apart, as "field3 = ?1" would let SQLite put ?1
    // into the prefix and pass the index by.
    case S::PrintLogLastPrintTo:
        return "select time from PrintLog where substr(field3, 1, 32) = substr(?1, 1, 32) and time >= ?5 and "
               "substr(field3, 33) = substr(?1, 33) and coalesce(field12, '') = ?2 and coalesce(field9, '') "
               "= ?3 and coalesce(field7, '') = ?4 order by time desc limit 1";
    }
    return nullptr;
}

#undef DORVANE_LOG_ENTRY
#undef DORVANE_LOG_LATER
#undef DORVANE_LOG_NO_LATER
#undef DORVANE_LOG_SEARCH
#undef DORVANE_LOG_PRINTED

} // namespace dorvane
