#pragma once
// A fresh, empty address-book store of either engine for one test: a copy of the shipped empty
// file, or a schema of its own on the test server that DORVANE_TEST_PG names (a libpq
// connection string in keyword form), dropped afterwards. Without that server, tests of the
// server engine are skipped, unless DORVANE_REQUIRE_PG=1 says the server must be there.

#include "store/StoreLocation.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#ifdef DORVANE_WITH_POSTGRES
#include <libpq-fe.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#define DORVANE_NEED_STORE(store)                                                                                \
    if (const std::string& problem = (store).Problem(); problem.empty()) {                                           \
    } else if (dorvane::test::TestStore::ServerRequired())                                                           \
        FAIL() << problem;                                                                                           \
    else                                                                                                             \
        GTEST_SKIP() << problem

namespace dorvane::test {

enum class Engine { File, Server };

inline const std::vector<Engine>& TestedEngines()
{
#ifdef DORVANE_WITH_POSTGRES
    static const std::vector<Engine> engines{Engine::File, Engine::Server};
#else
    static const std::vector<Engine> engines{Engine::File};
#endif
    return engines;
}

inline void PrintTo(Engine engine, std::ostream* out)
{
    *out << (engine == Engine::File ? "the SQLite file" : "the PostgreSQL server");
}

inline std::string EngineName(const ::testing::TestParamInfo<Engine>& info)
{
    return info.param == Engine::File ? "File" : "Server";
}

inline std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

class TestStore {
public:
    explicit TestStore(Engine engine) : engine_(engine)
    {
        if (engine == Engine::File) {
            std::filesystem::copy_file(DORVANE_EMPTY_ADDRESS_BOOK, file());
            return;
        }
        const std::string server = EnvironmentText("DORVANE_TEST_PG");
        if (server.empty()) {
            problem_ = "DORVANE_TEST_PG is not set: no PostgreSQL server to test against";
            return;
        }
        std::random_device random;
        schema_ = "dorvane_test_" + std::to_string(random()) + "_" + std::to_string(random());
        connection_ = server + " options='-csearch_path=" + schema_ + "'";
        if (!ExecOn(server, "CREATE SCHEMA " + schema_))
            problem_ = "cannot make a schema on the test server " + server;
    }
    ~TestStore()
    {
        if (!schema_.empty())
            ExecOn(EnvironmentText("DORVANE_TEST_PG"), "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
    }
    TestStore(const TestStore&) = delete;
    TestStore& operator=(const TestStore&) = delete;

    // Empty when the store is there; else why not. DORVANE_NEED_STORE skips the test then,
    // or fails it when the server is required.
    const std::string& Problem() const { return problem_; }
    static bool ServerRequired() { return EnvironmentText("DORVANE_REQUIRE_PG") == "1"; }

    StoreLocation location() const
    {
        if (engine_ == Engine::File)
            return file();
        return StoreLocation::Server(connection_);
    }
    std::filesystem::path file() const { return folder_ / "Dorvane.dorv"; }
    const std::string& connection() const { return connection_; }
    const TempFolder& folder() const { return folder_; }

    // Straight to the store, as another program would: runs sql, or gives column 0 of the
    // first row as stored bytes.
    bool Exec(const std::string& sql) const
    {
        if (engine_ == Engine::Server)
            return ExecOn(connection_, sql);
        sqlite3* db = nullptr;
        const auto name = file().u8string();
        sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db, SQLITE_OPEN_READWRITE, nullptr);
        const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close_v2(db);
        return ok;
    }
    std::string ColumnBytes(const std::string& sql) const
    {
        std::string value = "<no row>";
        if (engine_ == Engine::Server) {
#ifdef DORVANE_WITH_POSTGRES
            PGconn* db = PQconnectdb(connection_.c_str());
            PGresult* result = PQexec(db, sql.c_str());
            if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0)
                value.assign(PQgetvalue(result, 0, 0), static_cast<std::size_t>(PQgetlength(result, 0, 0)));
            PQclear(result);
            PQfinish(db);
#endif
            return value;
        }
        sqlite3* db = nullptr;
        sqlite3_stmt* st = nullptr;
        const auto name = file().u8string();
        sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            value.assign(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                         static_cast<std::size_t>(sqlite3_column_bytes(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close_v2(db);
        return value;
    }

private:
    static bool ExecOn([[maybe_unused]] const std::string& connection, [[maybe_unused]] const std::string& sql)
    {
#ifdef DORVANE_WITH_POSTGRES
        PGconn* db = PQconnectdb(connection.c_str());
        PQsetNoticeProcessor(db, [](void*, const char*) {}, nullptr);
        PGresult* result = PQexec(db, sql.c_str());
        const ExecStatusType status = PQresultStatus(result);
        PQclear(result);
        PQfinish(db);
        return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
#else
        return false;
#endif
    }

    Engine engine_;
    TempFolder folder_;
    std::string schema_;
    std::string connection_;
    std::string problem_;
};

} // namespace dorvane::test
