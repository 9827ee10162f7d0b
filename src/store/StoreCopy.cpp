#include "store/StoreCopy.h"

#include "store/PrintLog.h"
#include "store/StoreSession.h"

#include <memory>

namespace dorvane {

namespace {

struct CopiedTable {
    const char* name;
    StoreStatement count;
    StoreStatement select; // the rows in their order; column 0 the id, left behind
    StoreStatement insert; // the other columns, ?1 ...
    int columns;           // in the select, the id included
    bool printLog = false; // read as the source's table has its later columns; empty ones go as null
};

std::vector<CopiedTable> CopiedTables()
{
    using S = StoreStatement;
    return {
        {"SendAddress", S::SendAddressCount, S::SendAddressList, S::SendAddressAdd, 2},
        {"ReceiptAddress", S::ReceiptAddressCount, S::ReceiptAddressList, S::ReceiptAddressAdd, 2},
        {"ProductName", S::ProductNameCount, S::ProductNameList, S::ProductNameAdd, 2},
        {"PrintLog", S::PrintLogCount, S::PrintLogAll, S::PrintLogInsert, 1 + kPrintLogInsertedColumns, true},
    };
}

// Rows of each table; a print log not made yet holds none.
Result<std::vector<std::int64_t>> CountRows(StoreSession& session)
{
    std::vector<std::int64_t> counts;
    for (const CopiedTable& table : CopiedTables()) {
        const auto present = session.HasTable(table.name);
        if (!present)
            return present.error();
        std::int64_t count = 0;
        if (present.value()) {
            const auto ran =
                session.Query(table.count, {}, [&count](const StoreRow& row) { count = row.Integer(0); });
            if (!ran)
                return ran.error();
        }
        counts.push_back(count);
    }
    return counts;
}

} // namespace

Result<std::vector<TableCount>> CopyStore(const StoreLocation& from, const StoreLocation& to)
{
    auto source = OpenSession(from, false);
    if (!source)
        return source.error();
    auto target = OpenSession(to, true);
    if (!target)
        return target.error();
    const auto held = CountRows(*target.value());
    if (!held)
        return held.error();
    const std::vector<CopiedTable> tables = CopiedTables();
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (held.value()[i] != 0)
            return StoreError{StoreError::StatementFailed, std::string("the target already holds rows (") +
                                                               tables[i].name + ": " + std::to_string(held.value()[i]) +
                                                               "); it is left as it is"};
    }
    if (const auto hasLog = target.value()->HasTable("PrintLog"); !hasLog || !hasLog.value()) {
        if (auto made = target.value()->Execute(StoreStatement::PrintLogCreate); !made)
            return made.error();
    }
    if (auto upgraded = UpgradePrintLog(*target.value()); !upgraded)
        return upgraded.error();
    for (const CopiedTable& table : tables) {
        const auto present = source.value()->HasTable(table.name);
        if (!present)
            return present.error();
        if (!present.value())
            continue;
        StoreStatement select = table.select;
        if (table.printLog) {
            // A log made before its later columns reads them as null; an empty entry id is none.
            const auto later = PrintLogHasLaterColumns(*source.value());
            if (!later)
                return later.error();
            if (!later.value())
                select = StoreStatement::PrintLogAllOlder;
        }
        // Each table read whole, then written.
        std::vector<std::vector<StoreValue>> rows;
        const auto read = source.value()->Query(select, {}, [&rows, &table](const StoreRow& row) {
            std::vector<StoreValue> values;
            for (int c = 1; c < table.columns; ++c) {
                if (table.printLog && c > kPrintLogInsertedColumns - kPrintLogLaterColumnCount && row.Text(c).empty())
                    values.emplace_back();
                else
                    values.emplace_back(std::string(row.Text(c)));
            }
            rows.push_back(std::move(values));
        });
        if (!read)
            return read.error();
        for (const auto& values : rows) {
            if (auto written = target.value()->Change(table.insert, values); !written)
                return written.error();
        }
    }
    if (auto committed = target.value()->Commit(); !committed)
        return committed.error();
    target.value().reset();

    // Both sides counted afresh, from what each store now holds.
    auto recountTarget = OpenSession(to, false);
    if (!recountTarget)
        return recountTarget.error();
    const auto sourceCounts = CountRows(*source.value());
    const auto targetCounts = CountRows(*recountTarget.value());
    if (!sourceCounts)
        return sourceCounts.error();
    if (!targetCounts)
        return targetCounts.error();
    std::vector<TableCount> counts;
    for (std::size_t i = 0; i < tables.size(); ++i)
        counts.push_back({tables[i].name, sourceCounts.value()[i], targetCounts.value()[i]});
    return counts;
}

} // namespace dorvane
