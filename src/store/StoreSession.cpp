#include "store/StoreSession.h"

#include "store/ConnectionString.h"
#include "store/StoreConnection.h"
#ifdef DORVANE_WITH_POSTGRES
#include "store/PostgresSession.h"
#endif

namespace dorvane {

Result<std::unique_ptr<StoreSession>> OpenSession(const StoreLocation& location, bool forWriting)
{
    if (!location.onServer())
        return OpenFileSession(location.file, forWriting);
#ifdef DORVANE_WITH_POSTGRES
    return OpenServerSession(location.server, location.unanswered);
#else
    return StoreError{StoreError::CannotOpen,
                      MaskedConnectionString(location.server) + ": this build has no PostgreSQL engine"};
#endif
}

Result<bool> StoreSession::HasTable(const char* name)
{
    std::int64_t found = 0;
    const auto ran = Query(StoreStatement::HasTable, {std::string(name)},
                           [&found](const StoreRow& row) { found = row.Integer(0); });
    if (!ran)
        return ran.error();
    return found != 0;
}

} // namespace dorvane
