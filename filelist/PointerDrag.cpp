#include "filelist/FileList.h"
#include "shell/MainForm.h"

namespace plumark {

namespace {

// Screen heights (pixels from the top) that scroll the list during a row drag.
constexpr int ScrollUpBelow = 305;
constexpr int ScrollDownFrom = 365;

} // namespace

void MainForm::PushButton_MouseMove()
{
    if (m_window.mousePointer() != PointerBusy)
        m_window.setMousePointer(PointerHand);
}

void MainForm::Surface_MouseMove()
{
    if (m_window.mousePointer() != PointerBusy)
        m_window.setMousePointer(PointerDefault);
}

void MainForm::ListView1_MouseDown(int, int, int, int)
{
    buttonHeld = true;
}

void MainForm::ListView1_MouseUp(int, int, int, int)
{
    buttonHeld = false;
    m_window.setListPointer(ListPointerArrow, QString());
}

void MainForm::ListView1_ItemClick(int)
{
    m_window.setListPointer(ListPointerCustom, programFolder() + QStringLiteral("/drag.ico"));
    dragRow = m_window.selectedRow();
}

void MainForm::ListView1_MouseMove(int, int, int x, int y)
{
    Surface_MouseMove();
    if (!buttonHeld)
        return;
    hoverRow = m_window.rowAt(x, y);
    // A dragged row that was removed since its click carries nothing.
    const bool dragValid = dragRow >= 1 && dragRow <= m_list.count();
    if (hoverRow != 0 && dragValid && m_list.text(hoverRow) != m_list.text(dragRow)) {
        const QString kept = m_list.text(dragRow);
        m_list.setText(dragRow, m_list.text(hoverRow));
        m_list.setText(hoverRow, kept);
        m_window.selectRow(hoverRow);
        dragRow = hoverRow;
        if (cursorScreenY) {
            const int screenY = cursorScreenY();
            if (screenY < ScrollUpBelow) {
                if (hoverRow - 1 >= 1)
                    m_window.ensureRowVisible(hoverRow - 1);
            } else if (screenY >= ScrollDownFrom) {
                if (hoverRow + 1 <= m_list.count())
                    m_window.ensureRowVisible(hoverRow + 1);
            }
        }
    }
    hoverRow = 0;
}

} // namespace plumark
