#pragma once

#include <QStringList>
#include <QTreeView>
#include <functional>

namespace plumark {

// ListView1: a one-column report view that passes its mouse, key and drop
// events on in the main window's terms (buttons 1 left, 2 right, 4 middle;
// shift 1, ctrl 2, alt 4; x and y in the list's own coordinates).
class ListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // 1-based row at a point of the list's rows area, 0 for none.
    int rowAt(int x, int y) const;
    // Asked while local files (or anything else) are dragged over the list.
    std::function<bool(bool offersFiles)> acceptsDrag;

signals:
    void rowClicked(int row);
    void buttonPressed(int button, int shift, int x, int y);
    void pointerMoved(int button, int shift, int x, int y);
    void buttonReleased(int button, int shift, int x, int y);
    void doubleClickedAnywhere();
    void keyDown(int keyCode, int shift);
    void filesDropped(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool judgeDrag(QDropEvent* event);
};

// The local files of dropped data, in the order given.
QStringList localFilesOf(const QMimeData* data);

} // namespace plumark
