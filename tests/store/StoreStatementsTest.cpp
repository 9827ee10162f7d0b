#include "store/AddressBook.h"
#include "store/ServerStatements.h"
#include "store/StoreStatement.h"
#include "support/TestStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <set>
#include <string>
#include <string_view>

#ifdef DORVANE_WITH_POSTGRES
#include <libpq-fe.h>
#endif

using namespace dorvane;

namespace {

// The parameters a statement's text takes, read outside its literals and quoted names.
struct Parameters {
    std::set<int> numbers; // written with the engine's marker and a number
    bool foreign = false;  // the other engine's marker with a number
    bool unnumbered = false;
};

Parameters ParametersOf(std::string_view text, char marker, char other)
{
    Parameters found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || c == '"') { // to the closing quote; a doubled one is inside
            const std::size_t end = text.find(c, i + 1);
            i = end == std::string_view::npos ? text.size() : end;
            continue;
        }
        if (c != marker && c != other)
            continue;
        std::size_t end = i + 1;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end == i + 1) {
            found.unnumbered = found.unnumbered || c == marker;
        } else if (c == other) {
            found.foreign = true;
        } else {
            found.numbers.insert(std::stoi(std::string(text.substr(i + 1, end - i - 1))));
        }
        i = end - 1;
    }
    return found;
}

// Values are bound in order: a statement taking n of them names each of 1 .. n.
bool OneToN(const std::set<int>& numbers)
{
    return numbers.empty() ||
           (*numbers.begin() == 1 && *numbers.rbegin() == static_cast<int>(numbers.size()));
}

bool StartsWithNoCase(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    }
    return true;
}

// Both engines give every statement, in their own parameters' form, taking the same values:
// a statement added to one table and not the other, a parameter written in the other
// engine's form, or a value bound to nothing on one engine fails here.
TEST(StoreStatements, BothEnginesGiveEveryStatementTakingTheSameValues)
{
    for (int n = 0; n < kStoreStatementCount; ++n) {
        const auto statement = static_cast<StoreStatement>(n);
        const char* file = FileStatementText(statement);
        const char* server = ServerStatementText(statement);
        ASSERT_TRUE(file && *file) << "statement " << n << " has no text on the file";
        ASSERT_TRUE(server && *server) << "statement " << n << " has no text on the server";
        const Parameters onFile = ParametersOf(file, '?', '$');
        const Parameters onServer = ParametersOf(server, '$', '?');
        EXPECT_FALSE(onFile.foreign || onFile.unnumbered) << file;
        EXPECT_FALSE(onServer.foreign || onServer.unnumbered) << server;
        EXPECT_TRUE(OneToN(onFile.numbers)) << file;
        EXPECT_EQ(onFile.numbers, onServer.numbers) << file << "\n" << server;
        // The server gives a new row's id only when the insert asks for it.
        if (StartsWithNoCase(server, "insert")) {
            EXPECT_NE(std::string_view(server).find(" returning id"), std::string_view::npos) << server;
        }
    }
    // A statement named after the last one counted would go unchecked.
    EXPECT_EQ(FileStatementText(static_cast<StoreStatement>(kStoreStatementCount)), nullptr);
    EXPECT_EQ(ServerStatementText(static_cast<StoreStatement>(kStoreStatementCount)), nullptr);

    for (int n = 0; n < kServerSchemaStatementCount; ++n) {
        const char* text = ServerSchemaText(static_cast<ServerSchemaStatement>(n));
        ASSERT_TRUE(text && *text) << "schema statement " << n << " has no text";
        const Parameters parameters = ParametersOf(text, '$', '?');
        EXPECT_FALSE(parameters.foreign || parameters.unnumbered) << text;
        EXPECT_TRUE(OneToN(parameters.numbers)) << text;
    }
    EXPECT_EQ(ServerSchemaText(static_cast<ServerSchemaStatement>(kServerSchemaStatementCount)), nullptr);
}

// Every file statement is one SQLite takes, on the shipped address book with the print log as
// it is made now or as it was before its later columns: those a test of the program may never
// run (the reads of an older log) included.
TEST(StoreStatements, SqliteTakesEveryFileStatement)
{
    const test::TestStore current(test::Engine::File), older(test::Engine::File);
    for (const StoreStatement made : {StoreStatement::PrintLogCreate, StoreStatement::PrintLogRecipientIndex,
                                      StoreStatement::PrintLogEntryIdIndex})
        ASSERT_TRUE(current.Exec(FileStatementText(made)));
    ASSERT_TRUE(
        older.Exec("CREATE TABLE PrintLog (id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                   "template TEXT NOT NULL, printer TEXT NOT NULL, source TEXT NOT NULL, "
                   "waybill TEXT NOT NULL, field0 TEXT, field1 TEXT, field2 TEXT, field3 TEXT, "
                   "field4 TEXT, field5 TEXT, field6 TEXT, field7 TEXT, field8 TEXT, field9 TEXT, "
                   "field10 TEXT, field11 TEXT, field12 TEXT, field13 TEXT, field14 TEXT, field15 TEXT, "
                   "field16 TEXT, field17 TEXT, field18 TEXT, field19 TEXT)"));
    const auto takes = [](const test::TestStore& store, const char* sql) {
        sqlite3* db = nullptr;
        const auto name = store.file().u8string();
        sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        const bool ok = sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && st;
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
        return ok;
    };
    for (int n = 0; n < kStoreStatementCount; ++n) {
        const char* sql = FileStatementText(static_cast<StoreStatement>(n));
        ASSERT_TRUE(sql);
        EXPECT_TRUE(takes(current, sql) || takes(older, sql)) << sql;
    }
}

#ifdef DORVANE_WITH_POSTGRES
// Every server statement is one the server takes, on the schema the program makes: those the
// program never runs there (the reads of an older file's log) included.
TEST(StoreStatements, ThePostgresServerTakesEveryServerStatement)
{
    test::TestStore store(test::Engine::Server);
    DORVANE_NEED_STORE(store);
    const auto made = AddressBook(store.location()).List(AddressTable::SendAddress);
    ASSERT_TRUE(made) << made.error().message;
    PGconn* db = PQconnectdb(store.connection().c_str());
    ASSERT_EQ(PQstatus(db), CONNECTION_OK) << PQerrorMessage(db);
    const auto takes = [db](const char* sql) {
        PGresult* result = PQprepare(db, "", sql, 0, nullptr);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        const std::string reason = ok ? "" : PQresultErrorMessage(result);
        PQclear(result);
        return reason;
    };
    for (int n = 0; n < kStoreStatementCount; ++n) {
        const char* sql = ServerStatementText(static_cast<StoreStatement>(n));
        ASSERT_TRUE(sql);
        EXPECT_EQ(takes(sql), "") << sql;
    }
    for (int n = 0; n < kServerSchemaStatementCount; ++n) {
        const char* sql = ServerSchemaText(static_cast<ServerSchemaStatement>(n));
        ASSERT_TRUE(sql);
        EXPECT_EQ(takes(sql), "") << sql;
    }
    PQfinish(db);
}
#endif

} // namespace
