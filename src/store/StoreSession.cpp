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
    return OpenServerSession(location.server);
#else
    return StoreError{StoreError::CannotOpen,
                      MaskedConnectionString(location.server) + ": this build has no PostgreSQL engine"};
#endif
}

} // namespace dorvane
