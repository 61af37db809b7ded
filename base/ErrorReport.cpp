#include "base/ErrorReport.h"

#include <QCoreApplication>

namespace plumark {

QString errorReportText(const QString& description, const QString& identity, int line)
{
    return description + QStringLiteral("\r\n") + identity +
           QCoreApplication::translate("ErrorReport", "at line ") + QString::number(line) +
           QStringLiteral("\r\r") +
           QCoreApplication::translate("ErrorReport",
                                       "Please email screenshot of this message to ") +
           QString::fromLatin1(SupportAddress);
}

void ShowErrorReport(Reporter& reporter, const QString& description, const QString& identity,
                     int line)
{
    reporter.message(errorReportText(description, identity, line),
                     QCoreApplication::translate("ErrorReport", "Application Error"),
                     MessageIcon::Warning);
}

} // namespace plumark
