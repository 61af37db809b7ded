#include "shell/widgets/ListView.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace plumark {

namespace {

constexpr int KeyDelete = 46;

int buttonCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

// Letters and digits share their codes; Delete is 46 as the handlers expect.
int keyCode(int qtKey)
{
    if (qtKey == Qt::Key_Delete)
        return KeyDelete;
    return qtKey < 0x100 ? qtKey : 0;
}

} // namespace

QStringList localFilesOf(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

ListView::ListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    viewport()->setMouseTracking(true);
    header()->setStretchLastSection(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int ListView::rowAt(int x, int y) const
{
    const QModelIndex index = indexAt(QPoint(x, y));
    return index.isValid() ? index.row() + 1 : 0;
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    if (const int row = rowAt(at.x(), at.y()))
        emit rowClicked(row);
    emit buttonPressed(buttonCode(event->button()), shiftCode(event->modifiers()), at.x(), at.y());
}

void ListView::mouseMoveEvent(QMouseEvent* event)
{
    // With a button held the rows move by the main window's drag, not by the
    // view's own drag selection.
    if (event->buttons() == Qt::NoButton)
        QTreeView::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    emit pointerMoved(buttonCode(event->buttons()), shiftCode(event->modifiers()), at.x(), at.y());
}

void ListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    const QPoint at = event->position().toPoint();
    emit buttonReleased(buttonCode(event->button()), shiftCode(event->modifiers()), at.x(), at.y());
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(keyCode(event->key()), shiftCode(event->modifiers()));
    if (event->key() != Qt::Key_Delete)
        QTreeView::keyPressEvent(event);
}

bool ListView::judgeDrag(QDropEvent* event)
{
    const bool offersFiles = !localFilesOf(event->mimeData()).isEmpty();
    const bool accepted = acceptsDrag ? acceptsDrag(offersFiles) : offersFiles;
    if (accepted)
        event->acceptProposedAction();
    else
        event->ignore();
    return accepted;
}

void ListView::dragEnterEvent(QDragEnterEvent* event)
{
    judgeDrag(event);
}

void ListView::dragMoveEvent(QDragMoveEvent* event)
{
    judgeDrag(event);
}

void ListView::dropEvent(QDropEvent* event)
{
    if (!judgeDrag(event))
        return;
    emit filesDropped(localFilesOf(event->mimeData()));
}

} // namespace plumark
