#include "shell/widgets/MessageBox.h"

#include "shell/widgets/ScreenFit.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace plumark {

void MessageBox::showEvent(QShowEvent* event)
{
    // Qt's box sizes itself to its whole text here, then centres itself.
    QMessageBox::showEvent(event);
    const QSize room = roomForContents(this);
    if (height() <= room.height() && width() <= room.width())
        return;
    scrollText();
    if (!m_scroll)
        return;
    const int bar = m_scroll->verticalScrollBar()->sizeHint().width();
    setFixedSize(std::min(width() + bar, room.width()), std::min(height(), room.height()));
    centreOnScreen(this);
}

void MessageBox::scrollText()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (m_scroll || !grid || !label)
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

} // namespace plumark
