#include "shell/widgets/MessageBox.h"

#include "shell/widgets/ScreenFit.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace plumark {

bool MessageBox::event(QEvent* event)
{
    // Qt's box sizes itself afresh at each layout request, from its layout's
    // minimum: with the text in a scroll area that is a box too small to
    // read, and its text no longer wrapped.
    if (m_scroll && event->type() == QEvent::LayoutRequest)
        return QDialog::event(event);
    return QMessageBox::event(event);
}

void MessageBox::changeEvent(QEvent* event)
{
    // A change of style or font makes Qt's box size itself again.
    QMessageBox::changeEvent(event);
    if (m_scroll && isVisible())
        fitScrolledText();
}

void MessageBox::showEvent(QShowEvent* event)
{
    // Qt's box sizes itself to its whole text here, then centres itself.
    QMessageBox::showEvent(event);
    const QSize room = roomForContents(this);
    if (m_scroll || (height() <= room.height() && width() <= room.width()))
        return;
    m_wholeText = size();
    scrollText();
    if (m_scroll)
        fitScrolledText();
}

void MessageBox::scrollText()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!grid || !label)
        return;
    const int index = grid->indexOf(label);
    if (index < 0)
        return;
    int row = 0;
    int column = 0;
    int rows = 0;
    int columns = 0;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    grid->removeWidget(label);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("MessageScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(label);
    grid->addWidget(m_scroll, row, column, rows, columns);
}

void MessageBox::fitScrolledText()
{
    if (auto* label = qobject_cast<QLabel*>(m_scroll->widget()))
        label->setWordWrap(true);
    const QSize room = roomForContents(this);
    const int bar = m_scroll->verticalScrollBar()->sizeHint().width();
    const QSize fitted(std::min(m_wholeText.width() + bar, room.width()),
                       std::min(m_wholeText.height(), room.height()));
    // The user may make it smaller, down to its OK button and a few lines,
    // and as large again as it opened.
    setMinimumSize(minimumSizeHint().boundedTo(fitted));
    setMaximumSize(fitted);
    resize(fitted);
    centreOnScreen(this);
}

} // namespace plumark
