#include "shell/widgets/ScreenFit.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace plumark {

namespace {

// The window's frame; before the desktop has framed it, a title bar as the
// style draws one is assumed.
QMargins frameMarginsOf(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    const QMargins known = handle ? handle->frameMargins() : QMargins();
    if (!known.isNull())
        return known;
    return {0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), 0, 0};
}

QRect roomOf(const QWidget* window)
{
    const QScreen* shown = window->screen();
    return shown ? shown->availableGeometry() : QRect();
}

} // namespace

QPoint framePositionWithin(const QRect& room, const QSize& frameSize)
{
    const int x = room.x() + (room.width() - frameSize.width()) / 2;
    const int y = room.y() + (room.height() - frameSize.height()) / 2;
    // The right and bottom edges first, so that the left and top win.
    return {std::max(room.left(), std::min(x, room.x() + room.width() - frameSize.width())),
            std::max(room.top(), std::min(y, room.y() + room.height() - frameSize.height()))};
}

void centreOnScreen(QWidget* window)
{
    const QRect room = roomOf(window);
    if (room.isEmpty())
        return;
    const QMargins frame = frameMarginsOf(window);
    const QSize frameSize = window->size().grownBy(frame);
    window->move(framePositionWithin(room, frameSize));
}

QSize roomForContents(const QWidget* window)
{
    const QRect room = roomOf(window);
    if (room.isEmpty())
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    return room.size().shrunkBy(frameMarginsOf(window));
}

} // namespace plumark
