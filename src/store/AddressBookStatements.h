#pragma once
// The twelve statements of the address book. Their text is the program's long-standing one;
// values are bound as parameters (?1 the text, ?2 or ?1 the row id), so a single quote in an
// address is stored as typed instead of breaking the statement. Both engines run them: the
// server gets them through ServerStatement (PostgresSession.h).

namespace dorvane {

struct TableStatements {
    const char* list;   // rows as (id, text), in the order the database gives them
    const char* add;    // ?1 text; the database assigns the id
    const char* change; // ?1 text, ?2 id
    const char* remove; // ?1 id
};

inline constexpr TableStatements kSendAddressStatements{
    "select * from SendAddress",
    "insert into SendAddress ([address]) values(?1)",
    "update SendAddress set address = ?1 where id = ?2",
    "delete from SendAddress where id = ?1",
};

inline constexpr TableStatements kReceiptAddressStatements{
    "select * from ReceiptAddress",
    "insert into ReceiptAddress ([address]) values(?1)",
    "update ReceiptAddress set address = ?1 where id = ?2",
    "delete from ReceiptAddress where id = ?1",
};

inline constexpr TableStatements kProductNameStatements{
    "select * from ProductName",
    "insert into ProductName ([name]) values(?1)",
    "update ProductName set name = ?1 where id = ?2",
    "delete from ProductName where id = ?1",
};

} // namespace dorvane
