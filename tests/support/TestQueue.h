#pragma once
// The CUPS test queue the printing tests print on (scripts/cups-test-setup.sh sets it up): its
// name, the folder its backend keeps the jobs in, and the check every printing test starts with.

#include <QDir>
#include <QPrinterInfo>
#include <QString>
#include <QTest>

namespace dorvane::test {

inline const QString kTestQueue = QStringLiteral("dorvane-test");

// Where the queue's backend keeps each job as a file: DORVANE_TEST_OUT, else the setup's folder.
inline QString TestQueueOutput()
{
    const QString folder = qEnvironmentVariable("DORVANE_TEST_OUT");
    return folder.isEmpty() ? QStringLiteral("/var/spool/dorvane-test-out") : folder;
}

// Under wine a Windows program prints to the CUPS queues through wine's own printer driver,
// not as Windows prints: its jobs are no test of the program.
inline const QString kNoQueueOnWindows =
    QStringLiteral("the CUPS test queue is Linux's; wine would print to it through its own driver");

// Why the queue cannot be printed on and read back; empty when it can.
inline QString TestQueueMissing()
{
#ifdef _WIN32
    return kNoQueueOnWindows;
#endif
    if (QPrinterInfo::printerInfo(kTestQueue).isNull())
        return QStringLiteral("no CUPS test queue %1 (scripts/cups-test-setup.sh sets one up)")
            .arg(kTestQueue);
    if (!QDir(TestQueueOutput()).exists())
        return QStringLiteral("no test queue output folder %1").arg(TestQueueOutput());
    return {};
}

// Whether the setup script's queue of this name is there; where the test command set the
// queues up (DORVANE_REQUIRE_CUPS=1) its absence ends the test program instead.
inline bool HasQueue(const QString& queue)
{
#ifdef _WIN32
    return false;
#endif
    if (QPrinterInfo::availablePrinterNames().contains(queue))
        return true;
    if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))
        qFatal("the CUPS test queue %s is not set up", qPrintable(queue));
    return false;
}

} // namespace dorvane::test

// Printing tests need the test queue; where the test command set it up (DORVANE_REQUIRE_CUPS=1),
// its absence fails the test instead of skipping it.
#define DORVANE_SKIP_WITHOUT_TEST_QUEUE()                                                                    \
    do {                                                                                                     \
        const QString queueMissing = dorvane::test::TestQueueMissing();                                      \
        if (!queueMissing.isEmpty()) {                                                                       \
            if (qEnvironmentVariable("DORVANE_REQUIRE_CUPS") == QStringLiteral("1"))                         \
                QFAIL(qPrintable(queueMissing));                                                             \
            QSKIP(qPrintable(queueMissing));                                                                 \
        }                                                                                                    \
    } while (false)
