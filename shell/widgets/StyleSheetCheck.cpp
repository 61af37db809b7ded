#include "shell/widgets/StyleSheetCheck.h"

#include <QWidget>

namespace plumark {

namespace {

QtMessageHandler previousHandler = nullptr;
bool parseFailed = false;

void catchParseWarning(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && text.startsWith(QLatin1String("Could not parse")))
        parseFailed = true;
    else if (previousHandler)
        previousHandler(type, context, text);
}

} // namespace

bool styleSheetParses(const QString& sheet)
{
    // Qt parses a sheet when it first polishes a widget that uses it; a
    // widget of its own takes that parse while the warning is caught.
    parseFailed = false;
    previousHandler = qInstallMessageHandler(catchParseWarning);
    {
        QWidget probe;
        probe.setStyleSheet(sheet);
        probe.ensurePolished();
    }
    qInstallMessageHandler(previousHandler);
    return !parseFailed;
}

} // namespace plumark
