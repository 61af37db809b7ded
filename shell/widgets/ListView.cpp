#include "shell/widgets/ListView.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSysInfo>
#include <QUrl>

namespace plumark {

namespace {

constexpr int KeyDelete = 46;
constexpr int KeyNumpad0 = 96;

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

// Key codes as the original platform numbers its keys: Delete (also the
// keypad's Del) is 46, letters and digits keep their codes, keypad digits are
// 96 to 105. Every other key arrives as 0, so that no character (Qt's code
// for "." is also 46) can pass for Delete.
int keyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if (key == Qt::Key_Delete)
        return KeyDelete;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return event.modifiers() & Qt::KeypadModifier ? KeyNumpad0 + (key - Qt::Key_0) : key;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    return 0;
}

} // namespace

QStringList localFilesOf(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        // "file://localhost/..." and the machine's own name name local
        // files; any other host is a network path ("//host/...").
        const QString host = url.host();
        if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
            host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0)
            paths.append(url.path(QUrl::FullyDecoded));
        else
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
    // Rows of one long folder differ at their ends: a row too long for its
    // column keeps both and loses its middle.
    setTextElideMode(Qt::ElideMiddle);
    // The header, the scroll bars and the frame are parts of the list too:
    // pointer moves over them are the list's pointer moves.
    for (QWidget* part : {static_cast<QWidget*>(this), header()->viewport(),
                          static_cast<QWidget*>(horizontalScrollBar()),
                          static_cast<QWidget*>(verticalScrollBar())}) {
        part->setMouseTracking(true);
        part->installEventFilter(this);
    }
}

int ListView::rowAt(int x, int y) const
{
    if (!viewport()->rect().contains(x, y))
        return 0;
    const QModelIndex index = indexAt(QPoint(x, y));
    return index.isValid() ? index.row() + 1 : 0;
}

void ListView::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    // Only the left button clicks a row, as in every list control.
    if (event->button() == Qt::LeftButton) {
        if (const int row = rowAt(at.x(), at.y()))
            emit rowClicked(row);
    }
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

bool ListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched != viewport()) {
        const auto* move = static_cast<QMouseEvent*>(event);
        const QPoint at = viewport()->mapFromGlobal(move->globalPosition().toPoint());
        emit pointerMoved(buttonCode(move->buttons()), shiftCode(move->modifiers()), at.x(),
                          at.y());
    }
    return QTreeView::eventFilter(watched, event);
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
    if (event->button() == Qt::LeftButton)
        emit doubleClickedAnywhere();
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(keyCode(*event), shiftCode(event->modifiers()));
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
