#pragma once
// The jobs the CUPS test queue's backend kept (/var/spool/dorvane-test-out/job-<id>.pdf), read
// back with pdftotext; each file is read once, and only jobs kept after this object was made
// are looked at (the folder grows over runs). Other programs print there at the same time:
// a test finds its jobs by the markers it printed.

#include "print/PdfReadBack.h"

#include <QDir>
#include <algorithm>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

namespace dorvane::test {

class QueueJobs {
public:
    static inline const QDir kOut{QStringLiteral("/var/spool/dorvane-test-out")};

    QueueJobs()
    {
        for (const QString& name : kOut.entryList({QStringLiteral("job-*.pdf")}, QDir::Files))
            before_ = std::max(before_, Id(name));
    }

    // The jobs whose text holds marker, in the order the spooler numbered them; waits up to
    // timeoutMs for at least `least` of them.
    QStringList with(const QString& marker, int least = 1, int timeoutMs = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        QStringList found;
        do {
            found.clear();
            for (const QString& name : kOut.entryList({QStringLiteral("job-*.pdf")}, QDir::Files)) {
                const QString path = kOut.filePath(name);
                if (Id(name) <= before_)
                    continue;
                if (!texts_.contains(path))
                    texts_.insert(path, RunTool(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}));
                if (texts_.value(path).contains(marker))
                    found.append(path);
            }
            if (found.size() >= least)
                break;
            QTest::qWait(100);
        } while (timer.elapsed() < timeoutMs);
        std::sort(found.begin(), found.end(),
                  [](const QString& a, const QString& b) { return Id(a) < Id(b); });
        return found;
    }

    // The newest job holding marker, waited for up to timeoutMs; empty when none came.
    QString newestWith(const QString& marker, int timeoutMs = 20000)
    {
        const QStringList found = with(marker, 1, timeoutMs);
        return found.isEmpty() ? QString() : found.last();
    }

    // A job's whole text, pages parted by form feeds; empty for no job.
    QString text(const QString& job) const { return texts_.value(job); }

    // A job's pages' texts.
    QStringList pages(const QString& job) const
    {
        QStringList pages = texts_.value(job).split(QLatin1Char('\f'));
        pages.removeAll(QString());
        return pages;
    }

    static int Id(const QString& job)
    {
        static const QRegularExpression number(QStringLiteral("job-([0-9]+)\\.pdf$"));
        return number.match(job).captured(1).toInt();
    }

private:
    int before_ = 0; // the newest job kept before this object was made
    QHash<QString, QString> texts_;
};

} // namespace dorvane::test
