#include "batch/ConsoleReporter.h"

#include "engine/Paths.h"

#include <QCoreApplication>
#include <cstdio>

namespace plumark {

void ConsoleReporter::message(const QString& text, const QString& title, MessageIcon)
{
    // Paragraphs of a message are joined by carriage returns; a console
    // needs line feeds.
    QString lines = printablePath(text);
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QString heading = title.isEmpty() ? QStringLiteral("Plumark") : title;
    std::fprintf(stderr, "%s: %s\n", heading.toUtf8().constData(), lines.toUtf8().constData());
    std::fflush(stderr);
}

void ConsoleReporter::yield()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace plumark
