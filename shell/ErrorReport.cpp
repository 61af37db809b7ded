#include "shell/ErrorReport.h"

namespace plumark {

QString errorReportText(const QString& description, const QString& identity, int line)
{
    return description + QStringLiteral("\r\n") + identity + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QString::fromLatin1(SupportAddress);
}

void ShowErrorReport(Window& window, const QString& description, const QString& identity, int line)
{
    window.message(errorReportText(description, identity, line),
                   QStringLiteral("Application Error"), MessageIcon::Warning);
}

} // namespace plumark
