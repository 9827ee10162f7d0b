#include "cli/BatchPrinter.h"

#include "app/CodePageText.h"
#include "cli/WaybillCsv.h"
#include "print/WaybillPrinter.h"
#include "print/WaybillRenderer.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace dorvane {

namespace {

std::array<QString, kFieldCount> ToQStrings(const FieldTexts& texts)
{
    std::array<QString, kFieldCount> result;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!texts[i].empty())
            result[i] = FromCodePage(texts[i]);
    }
    return result;
}

} // namespace

bool BatchPrinter::fail(const QString& message)
{
    error_ = message;
    return false;
}

QString BatchPrinter::csvName() const
{
    return job_.csv ? PathToQString(*job_.csv) : QString();
}

bool BatchPrinter::check()
{
    count_ = 0;
    if (!job_.csv) {
        count_ = 1;
        return true;
    }
    WaybillCsv csv;
    if (!csv.open(*job_.csv))
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
    for (const int field : job_.fixedFields) {
        if (std::find(csv.columns().begin(), csv.columns().end(), field) != csv.columns().end())
            return fail(csvName() +
                        QStringLiteral(": the column %1 is also given on the command line")
                            .arg(QString::fromUtf8(kWaybillFields[static_cast<std::size_t>(field)].name)));
    }
    FieldTexts texts = job_.texts;
    WaybillCsv::Status status;
    while ((status = csv.next(texts)) == WaybillCsv::Status::Record) {
        if (!job_.rows || job_.rows->contains(csv.recordNumber()))
            ++count_;
    }
    if (status == WaybillCsv::Status::Error)
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
    if (csv.recordNumber() == 0)
        return fail(csvName() + QStringLiteral(": holds no waybills, only the header row"));
    if (job_.rows && job_.rows->last() > csv.recordNumber())
        return fail(csvName() + QStringLiteral(": --rows names record %1, but the file holds %2")
                                    .arg(job_.rows->last())
                                    .arg(csv.recordNumber()));
    return true;
}

bool BatchPrinter::print(const std::function<void(std::size_t, std::size_t)>& progress)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!job_.pdfPath.isEmpty())
        PrepareWaybillPdf(printer, job_.pdfPath, job_.setup);
    else
        PrepareWaybillPrinter(printer, job_.printerName, job_.setup);

    WaybillCsv csv;
    if (job_.csv && !csv.open(*job_.csv))
        return fail(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));

    QPainter painter;
    if (!painter.begin(&printer)) {
        return fail(job_.pdfPath.isEmpty()
                        ? QStringLiteral("the printer %1 cannot start the job").arg(job_.printerName)
                        : QStringLiteral("%1 cannot be written").arg(job_.pdfPath));
    }
    started_ = true;
    const auto abort = [&](const QString& message) {
        printer.abort();
        painter.end();
        if (!job_.pdfPath.isEmpty())
            QFile::remove(job_.pdfPath);
        return fail(message);
    };

    const WaybillRenderer renderer(job_.setup);
    std::size_t done = 0;
    FieldTexts texts = job_.texts;
    for (;;) {
        if (job_.csv) {
            texts = job_.texts;
            const WaybillCsv::Status status = csv.next(texts);
            if (status == WaybillCsv::Status::Error)
                return abort(csvName() + QStringLiteral(": ") + QString::fromStdString(csv.error()));
            if (status == WaybillCsv::Status::End)
                break;
            if (job_.rows && !job_.rows->contains(csv.recordNumber()))
                continue;
        } else if (done == 1) {
            break;
        }
        if (done == count_)
            return abort(csvName() + QStringLiteral(": the file changed while it was printed"));
        if (done > 0 && !printer.newPage())
            return abort(QStringLiteral("the printer failed on waybill %1").arg(done + 1));
        renderer.renderPage(painter, ToQStrings(texts));
        ++done;
        if (progress)
            progress(done, count_);
    }
    if (done != count_)
        return abort(csvName() + QStringLiteral(": the file changed while it was printed"));
    if (!painter.end())
        return fail(QStringLiteral("the job could not be finished"));
    return true;
}

} // namespace dorvane
