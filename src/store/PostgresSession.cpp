#include "store/PostgresSession.h"

#include "store/ConnectionString.h"
#include "store/ServerStatements.h"
#include "store/StoreSession.h"
#include "store/StoreStatement.h"
#include "store/UnansweredServers.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace dorvane {

namespace {

// Type numbers of the server's text and bigint, for the bound values.
constexpr Oid kTextType = 25;
constexpr Oid kBigintType = 20;

// The program's tables on the server, one step per version of the schema; a database at an
// older version gets the later steps, and nothing already there is ever dropped. A later step
// may find its work done by an earlier one on a new database: each is written to be a no-op then.
struct SchemaStep {
    std::vector<const char*> statements;
};

const std::vector<SchemaStep>& SchemaSteps()
{
    using S = StoreStatement;
    using Own = ServerSchemaStatement;
    static const std::vector<SchemaStep> steps{
        // 1: the address book
        {{ServerSchemaText(Own::CreateSendAddress), ServerSchemaText(Own::CreateReceiptAddress),
          ServerSchemaText(Own::CreateProductName)}},
        // 2: the print log
        {{ServerStatementText(S::PrintLogCreate)}},
        // 3: the print log's lookup of the last waybill to a recipient
        {{ServerStatementText(S::PrintLogRecipientIndex)}},
        // 4: the print log's order number, destination, check print and entry id
        {{ServerStatementText(S::PrintLogAddOrderNumber), ServerStatementText(S::PrintLogAddDestination),
          ServerStatementText(S::PrintLogAddCheckPrint), ServerStatementText(S::PrintLogAddEntryId),
          ServerStatementText(S::PrintLogEntryIdIndex)}},
    };
    return steps;
}

struct FinishConnection {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using ServerConnection = std::unique_ptr<PGconn, FinishConnection>;

struct ClearResult {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ServerResult = std::unique_ptr<PGresult, ClearResult>;

std::string Trimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

using Clock = std::chrono::steady_clock;

// How long the server may take. The connection gives up after the string's connect_timeout
// (else 3 s) in all, whatever addresses and encryptions libpq tries in turn; the server cancels
// a statement after kStatementMilliseconds, and the station gives up kAnswerGraceMilliseconds
// later on a server that does not even do that (a frozen machine, a network that swallows the
// replies). TCP keepalives and a user timeout end a connection whose peer has gone.
constexpr int kDefaultConnectSeconds = 3;
constexpr int kStatementMilliseconds = 10000;
constexpr int kAnswerGraceMilliseconds = 2000;
constexpr const char* kKeepaliveDefaults[][2] = {
    {"keepalives", "1"},       {"keepalives_idle", "10"},     {"keepalives_interval", "5"},
    {"keepalives_count", "3"}, {"tcp_user_timeout", "15000"},
};
// A lost connection is the same to the user as one never made.
StoreError ServerError(PGconn* connection, const PGresult* result, const std::string& what)
{
    const bool lost = PQstatus(connection) != CONNECTION_OK;
    const char* reason = result ? PQresultErrorMessage(result) : PQerrorMessage(connection);
    return {lost ? StoreError::CannotOpen : StoreError::StatementFailed, what + ": " + Trimmed(reason)};
}

// Waits until the socket can be read (or written) or the deadline passes.
bool WaitForSocket(PGconn* connection, bool forWriting, Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return false;
#ifdef _WIN32
    WSAPOLLFD fd{static_cast<SOCKET>(PQsocket(connection)), static_cast<short>(forWriting ? POLLOUT : POLLIN),
                 0};
    const int ready = WSAPoll(&fd, 1, static_cast<int>(left));
#else
    pollfd fd{PQsocket(connection), static_cast<short>(forWriting ? POLLOUT : POLLIN), 0};
    const int ready = poll(&fd, 1, static_cast<int>(left));
#endif
    return ready != 0; // an error is left for libpq to find
}

bool Succeeded(const PGresult* result)
{
    const ExecStatusType status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

class ServerRow final : public StoreRow {
public:
    ServerRow(const PGresult* result, int row) : result_(result), row_(row) {}
    std::int64_t Integer(int column) const override
    {
        return std::strtoll(PQgetvalue(result_, row_, column), nullptr, 10);
    }
    std::string_view Text(int column) const override
    {
        if (column >= PQnfields(result_) || PQgetisnull(result_, row_, column))
            return {};
        return std::string_view(PQgetvalue(result_, row_, column),
                                static_cast<std::size_t>(PQgetlength(result_, row_, column)));
    }

private:
    const PGresult* result_;
    int row_;
};

class ServerSession final : public StoreSession {
public:
    ServerSession(ServerConnection connection, std::string typed, long long statementMilliseconds,
                  std::shared_ptr<UnansweredServers> unanswered)
        : StoreSession(ServerStatementText), connection_(std::move(connection)), typed_(std::move(typed)),
          unansweredServers_(std::move(unanswered)),
          answerMilliseconds_(statementMilliseconds + kAnswerGraceMilliseconds)
    {
    }

    Result<int> Query(StoreStatement statement, const std::vector<StoreValue>& values,
                      const std::function<void(const StoreRow&)>& onRow) override
    {
        return QueryText(Text(statement), values, onRow);
    }

    Result<StoreChange> Change(StoreStatement statement, const std::vector<StoreValue>& values) override
    {
        auto result = Run(Text(statement), values);
        if (!result)
            return result.error();
        const PGresult* done = result.value().get();
        StoreChange change;
        change.rows = std::strtoll(PQcmdTuples(const_cast<PGresult*>(done)), nullptr, 10);
        if (PQntuples(done) > 0)
            change.insertedId = std::strtoll(PQgetvalue(done, 0, 0), nullptr, 10);
        return change;
    }

    Result<void> Execute(StoreStatement statement) override { return ExecuteText(Text(statement)); }

    Result<void> Commit() override { return ExecuteText("COMMIT"); }

    bool OnServer() const override { return true; }

    // The engine's own statements: the schema's (ServerStatements.h) and the transaction's.
    Result<int> QueryText(const char* sql, const std::vector<StoreValue>& values,
                          const std::function<void(const StoreRow&)>& onRow)
    {
        auto result = Run(sql, values);
        if (!result)
            return result.error();
        const PGresult* rows = result.value().get();
        for (int i = 0, count = PQntuples(rows); i < count; ++i)
            onRow(ServerRow(rows, i));
        return PQnfields(rows);
    }

    Result<void> ExecuteText(const char* sql, const std::vector<StoreValue>& values = {})
    {
        auto result = Run(sql, values);
        if (!result)
            return result.error();
        return {};
    }

private:
    Result<ServerResult> Run(const char* sql, const std::vector<StoreValue>& values)
    {
        std::vector<std::string> texts(values.size());
        std::vector<const char*> pointers(values.size(), nullptr);
        std::vector<Oid> types(values.size(), kTextType);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (const auto* text = std::get_if<std::string>(&values[i])) {
                texts[i] = *text;
                pointers[i] = texts[i].c_str();
            } else if (const auto* number = std::get_if<std::int64_t>(&values[i])) {
                texts[i] = std::to_string(*number);
                pointers[i] = texts[i].c_str();
                types[i] = kBigintType;
            }
        }
        if (!PQsendQueryParams(connection_.get(), sql, static_cast<int>(values.size()), types.data(),
                               pointers.data(), nullptr, nullptr, 0))
            return ServerError(connection_.get(), nullptr, sql);
        return Answer(sql);
    }

    // The server's answer to the statement just sent: its last result, or the first failure.
    // A server that gives none in time loses the connection, as a server gone would.
    Result<ServerResult> Answer(const char* sql)
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(answerMilliseconds_);
        const auto givenUp = [&] {
            unanswered_ = true;
            connection_.reset();
            if (unansweredServers_)
                unansweredServers_->mark(typed_, true);
            return StoreError{StoreError::CannotOpen, std::string(sql) + ": the server did not answer in " +
                                                          std::to_string((answerMilliseconds_ + 999) / 1000) +
                                                          " s"};
        };
        // The connection does not block: a statement the server does not read is given up on too.
        for (int flushed; (flushed = PQflush(connection_.get())) != 0;) {
            if (flushed < 0)
                return ServerError(connection_.get(), nullptr, sql);
            if (!WaitForSocket(connection_.get(), true, deadline))
                return givenUp();
        }
        ServerResult last, failed;
        for (;;) {
            while (PQisBusy(connection_.get())) {
                if (!WaitForSocket(connection_.get(), false, deadline))
                    return givenUp();
                if (!PQconsumeInput(connection_.get()))
                    return ServerError(connection_.get(), nullptr, sql);
            }
            ServerResult result(PQgetResult(connection_.get()));
            if (!result)
                break;
            if (!Succeeded(result.get()) && !failed)
                failed = std::move(result);
            else
                last = std::move(result);
        }
        if (failed)
            return ServerError(connection_.get(), failed.get(), sql);
        if (!last)
            return ServerError(connection_.get(), nullptr, sql);
        return last;
    }

public:
    // Whether the server let a statement wait in vain.
    bool unanswered() const { return unanswered_; }

private:
    ServerConnection connection_;
    std::string typed_; // the connection string, to mark a server that let the station wait
    std::shared_ptr<UnansweredServers> unansweredServers_;
    long long answerMilliseconds_;
    bool unanswered_ = false;
};

// Brings an empty or older database to the current schema. Stations that connect at the same
// moment wait for each other on an advisory lock, so each step runs once.
Result<void> EnsureSchema(ServerSession& session)
{
    using S = ServerSchemaStatement;
    const int current = static_cast<int>(SchemaSteps().size());
    int version = 0;
    const auto read = [&] {
        return session.QueryText(ServerSchemaText(S::ReadVersion), {}, [&version](const StoreRow& row) {
            version = static_cast<int>(row.Integer(0));
        });
    };
    // Most connections find the schema current and need nothing more; a failed look (no table
    // yet) is outside any transaction and leaves nothing behind.
    const auto first = read();
    if (first && version == current)
        return {};
    if (!first && session.unanswered())
        return first.error();
    for (const char* step :
         {"BEGIN", ServerSchemaText(S::LockSchema), ServerSchemaText(S::CreateVersionTable)}) {
        if (auto done = session.ExecuteText(step); !done)
            return done;
    }
    if (auto done = read(); !done)
        return done.error();
    for (int step = version; step < current; ++step) {
        for (const char* statement : SchemaSteps()[static_cast<std::size_t>(step)].statements) {
            if (auto done = session.ExecuteText(statement); !done)
                return done;
        }
    }
    if (version < current) {
        if (auto done = session.ExecuteText(ServerSchemaText(S::ClearVersion)); !done)
            return done;
        if (auto done = session.ExecuteText(ServerSchemaText(S::MarkVersion), {std::int64_t{current}}); !done)
            return done;
    }
    return session.Commit();
}

} // namespace

namespace {

bool IsLoopback(std::string_view host)
{
    if (host.starts_with("/") || host.starts_with("@")) // a Unix socket's folder, or an abstract one
        return true;
    if (host == "localhost" || host == "::1" || host == "[::1]")
        return true;
    // 127.0.0.0/8, written as digits and dots only
    if (!host.starts_with("127.") || host.find_first_not_of("0123456789.") != std::string_view::npos)
        return false;
    return std::count(host.begin(), host.end(), '.') == 3;
}

// Whether every host the connection may go to is this computer: the hostaddr list, where
// given, is where libpq goes; else the host list; else PGHOST; else the Unix socket.
bool StaysOnThisComputer(const std::map<std::string, std::string>& keywords)
{
    const auto given = [&](const char* keyword, const char* environment) -> std::string {
        if (const auto found = keywords.find(keyword); found != keywords.end() && !found->second.empty())
            return found->second;
        const char* value = std::getenv(environment);
        return value ? value : "";
    };
    std::string hosts = given("hostaddr", "PGHOSTADDR");
    if (hosts.empty())
        hosts = given("host", "PGHOST");
    if (hosts.empty())
        return true;
    for (std::size_t from = 0; from <= hosts.size();) {
        const std::size_t end = std::min(hosts.find(',', from), hosts.size());
        const std::string_view host = std::string_view(hosts).substr(from, end - from);
        if (!host.empty() && !IsLoopback(host))
            return false;
        from = end + 1;
    }
    return true;
}

// The keywords of a libpq connection string, or why it cannot be read.
Result<std::map<std::string, std::string>> ParsedKeywords(std::string text, const std::string& typed)
{
    // libpq knows the URI's scheme in small letters only.
    if (const std::size_t scheme = text.find("://"); scheme != std::string::npos && IsConnectionUri(text)) {
        for (std::size_t i = 0; i < scheme; ++i)
            text[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.c_str(), &error);
    if (!options) {
        const std::string reason = error ? Trimmed(error) : "out of memory";
        PQfreemem(error);
        return StoreError{StoreError::CannotOpen, WithoutPassword(reason, typed)};
    }
    std::map<std::string, std::string> keywords;
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        if (option->val)
            keywords[option->keyword] = option->val;
    }
    PQconninfoFree(options);
    return keywords;
}

// The server's statement timeout the options set, in milliseconds: a number alone, or with ms,
// s or min; the program's own when the options set none that can be read.
long long StatementMilliseconds(const std::string& options)
{
    const std::size_t at = options.rfind("statement_timeout=");
    if (at == std::string::npos)
        return kStatementMilliseconds;
    const char* text = options.c_str() + at + std::strlen("statement_timeout=");
    char* end = nullptr;
    const long long number = std::strtoll(text, &end, 10);
    const std::string_view unit(end, std::strcspn(end, " \t"));
    if (end == text || number <= 0)
        return kStatementMilliseconds;
    if (unit.empty() || unit == "ms")
        return number;
    if (unit == "s")
        return number * 1000;
    if (unit == "min")
        return number * 60000;
    return kStatementMilliseconds;
}

} // namespace

Result<std::map<std::string, std::string>> ServerConnectionKeywords(const std::string& connection)
{
    // libpq never reads the password out of the string, so none of its messages about the
    // string can show it: it goes apart, as the program itself reads it (a password typed
    // with a blank included).
    const SplitConnection split = SplitPassword(connection);
    auto parsed = ParsedKeywords(split.rest, connection);
    if (!parsed)
        return parsed.error();
    std::map<std::string, std::string> keywords = std::move(parsed.value());
    // A dbname holding a connection string or URI is where to connect; keywords written beside
    // it win.
    if (const auto dbname = keywords.find("dbname");
        dbname != keywords.end() &&
        (IsConnectionUri(dbname->second) || dbname->second.find('=') != std::string::npos)) {
        auto inner = ParsedKeywords(dbname->second, connection);
        if (!inner)
            return inner.error();
        keywords.erase(dbname);
        for (auto& [keyword, value] : inner.value())
            keywords.emplace(keyword, std::move(value));
    }
    if (!split.password.empty())
        keywords["password"] = split.password;
    keywords.emplace("connect_timeout", std::to_string(kDefaultConnectSeconds));
    keywords.emplace("application_name", "Dorvane");
    keywords["client_encoding"] = "UTF8";
    for (const auto& [keyword, value] : kKeepaliveDefaults)
        keywords.emplace(keyword, value);
    std::string& options = keywords["options"];
    if (options.find("statement_timeout") == std::string::npos)
        options += (options.empty() ? "" : " ") + std::string("-c statement_timeout=") +
                   std::to_string(kStatementMilliseconds);
    // Beyond this computer, the password is never sent where it could be read: the connection
    // is encrypted and the password exchange bound to it, unless the string says otherwise.
    if (!StaysOnThisComputer(keywords)) {
        keywords.emplace("sslmode", "require");
        keywords.emplace("channel_binding", "require");
    }
    return keywords;
}

Result<std::unique_ptr<StoreSession>> OpenServerSession(const std::string& connection,
                                                        const std::shared_ptr<UnansweredServers>& unanswered)
{
    const auto markUnanswered = [&](bool gaveUp) {
        if (unanswered)
            unanswered->mark(connection, gaveUp);
    };
    const std::string shown = MaskedConnectionString(connection);
    const auto cannotOpen = [&](const std::string& reason, bool insecure = false) {
        StoreError error{StoreError::CannotOpen, shown + ": " + WithoutPassword(Trimmed(reason), connection)};
        error.insecureServer = insecure;
        return error;
    };
    if (unanswered && unanswered->recentlyUnanswered(connection))
        return cannotOpen("the server did not answer a moment ago");
    auto keywords = ServerConnectionKeywords(connection);
    if (!keywords)
        return cannotOpen(keywords.error().message);
    std::vector<const char*> names, values;
    for (const auto& [keyword, value] : keywords.value()) {
        names.push_back(keyword.c_str());
        values.push_back(value.c_str());
    }
    names.push_back(nullptr);
    values.push_back(nullptr);
    const int seconds = std::atoi(keywords.value()["connect_timeout"].c_str());

    // libpq's own wait applies to each address and each try of encryption in turn; the station
    // waits connect_timeout in all (none for 0, as libpq does).
    ServerConnection db(PQconnectStartParams(names.data(), values.data(), 0));
    if (!db)
        return cannotOpen("out of memory");
    const auto deadline =
        seconds > 0 ? Clock::now() + std::chrono::seconds(std::max(seconds, 2)) : Clock::time_point::max();
    for (PostgresPollingStatusType status = PGRES_POLLING_WRITING;
         status != PGRES_POLLING_OK && status != PGRES_POLLING_FAILED && PQstatus(db.get()) != CONNECTION_BAD;
         status = PQconnectPoll(db.get())) {
        if (status == PGRES_POLLING_ACTIVE)
            continue;
        if (!WaitForSocket(db.get(), status == PGRES_POLLING_WRITING, deadline)) {
            markUnanswered(true);
            return cannotOpen("the server did not answer in " + std::to_string(seconds) + " s");
        }
    }
    if (PQstatus(db.get()) != CONNECTION_OK) {
        const std::string reason = PQerrorMessage(db.get());
        const bool insecure = reason.find("SSL was required") != std::string::npos ||
                              reason.find("channel binding") != std::string::npos;
        return cannotOpen(reason, insecure);
    }
    PQsetnonblocking(db.get(), 1);
    // The server's notices ("relation already exists, skipping") are not the user's business.
    PQsetNoticeProcessor(
        db.get(), [](void*, const char*) {}, nullptr);
    auto session = std::make_unique<ServerSession>(
        std::move(db), connection, StatementMilliseconds(keywords.value()["options"]), unanswered);
    auto ready = EnsureSchema(*session);
    if (ready)
        ready = session->ExecuteText("BEGIN");
    if (!session->unanswered())
        markUnanswered(false);
    if (!ready)
        return cannotOpen(ready.error().message);
    return std::unique_ptr<StoreSession>(std::move(session));
}

} // namespace dorvane
