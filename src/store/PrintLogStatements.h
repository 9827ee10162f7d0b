#pragma once
// The print log's table and the statements the log and the copy to a server share.

namespace dorvane {

// The fields' columns are field0 .. field19, in catalogue order, after the six of the entry;
// the four columns after them came later: a log made before them gets them added (Append) and
// reads them as null until then.
inline constexpr const char* kPrintLogCreateTable = "CREATE TABLE IF NOT EXISTS PrintLog ("
                                     "id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                                     "template TEXT NOT NULL, printer TEXT NOT NULL, source TEXT NOT NULL, "
                                     "waybill TEXT NOT NULL, "
                                     "field0 TEXT, field1 TEXT, field2 TEXT, field3 TEXT, field4 TEXT, "
                                     "field5 TEXT, field6 TEXT, field7 TEXT, field8 TEXT, field9 TEXT, "
                                     "field10 TEXT, field11 TEXT, field12 TEXT, field13 TEXT, field14 TEXT, "
                                     "field15 TEXT, field16 TEXT, field17 TEXT, field18 TEXT, field19 TEXT, "
                                     "ordernumber TEXT, destination TEXT, checkprint TEXT, entryid TEXT)";
// What finds the last waybill to a recipient without reading the log: the recipient's name
// (its first characters, so that no text is too long for an index entry) and the time.
inline constexpr const char* kPrintLogRecipientIndex =
    "CREATE INDEX IF NOT EXISTS PrintLogRecipient ON PrintLog ((substr(field3, 1, 32)), time)";
// The time of the newest waybill to a recipient since a time: ?1 name, ?2 mobile, ?3 telephone,
// ?4 address, ?5 since. The name's prefix is the index's own expression, so that both engines
// look it up there; the rest of the name is compared apart, as "field3 = ?1" would let SQLite
// put ?1 into the prefix and pass the index by.
inline constexpr const char* kPrintLogLastPrintToConditions =
    "where substr(field3, 1, 32) = substr(?1, 1, 32) and time >= ?5 "
    "and substr(field3, 33) = substr(?1, 33) and coalesce(field12, '') = ?2 and coalesce(field9, '') = ?3 "
    "and coalesce(field7, '') = ?4 order by time desc limit 1";
inline constexpr int kPrintLogEntryColumns = 6;
// The later columns: the export's order number, 'printer' or 'pdf', '1' for a check print, and
// the id each entry gets when printed, which makes appending it a second time a no-op.
inline constexpr const char* kPrintLogLaterColumns[] = {"ordernumber", "destination", "checkprint", "entryid"};
inline constexpr int kPrintLogLaterColumnCount = 4;
inline constexpr const char* kPrintLogEntryIdIndex =
    "CREATE UNIQUE INDEX IF NOT EXISTS PrintLogEntryId ON PrintLog (entryid)";
// Every column but the id: the five of the entry, the twenty fields and the later four.
inline constexpr int kPrintLogInsertedColumns = 29;

inline constexpr const char* kPrintLogInsert = "insert into PrintLog (time, template, printer, source, waybill, "
                                "field0, field1, field2, field3, field4, field5, field6, field7, field8, field9, "
                                "field10, field11, field12, field13, field14, field15, field16, field17, field18, "
                                "field19, ordernumber, destination, checkprint, entryid) values (?1, ?2, ?3, ?4, ?5, "
                                "?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, "
                                "?23, ?24, ?25, ?26, ?27, ?28, ?29) on conflict (entryid) do nothing";

// The select of every column but the later four, which PrintLogSelect adds as the table has them.
inline constexpr const char* kPrintLogColumns = "select id, time, template, printer, source, waybill, "
                                 "field0, field1, field2, field3, field4, field5, field6, field7, field8, field9, "
                                 "field10, field11, field12, field13, field14, field15, field16, field17, field18, "
                                 "field19";

} // namespace dorvane
