#include "cli/CliOutput.h"

#include <cstdio>

namespace dorvane {

namespace {
void Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

void WriteOut(const QString& text)
{
    Write(stdout, text);
}

void WriteError(const QString& text)
{
    Write(stderr, text);
}

} // namespace dorvane
