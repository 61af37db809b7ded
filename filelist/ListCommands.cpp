#include "base/ErrorReport.h"
#include "shell/MainForm.h"

namespace plumark {

namespace {

constexpr int DeleteKey = 46;

// Removes the row the list reports as selected, unless a scan or a run walks
// the list (busy pointer) or there is nothing to remove.
void removeSelectedRow(Window& window, FileList& list)
{
    try {
        if (window.mousePointer() == PointerBusy || list.count() == 0)
            return;
        const int row = window.selectedRow();
        if (row < 1 || row > list.count())
            return;
        list.remove(row);
    } catch (const std::exception&) {
        // A list handler has no error report: the list stays as it is.
    }
}

} // namespace

void MainForm::ListView1_DblClick()
{
    removeSelectedRow(m_window, m_list);
}

void MainForm::ListView1_KeyDown(int keyCode, int /*shift*/)
{
    if (keyCode == DeleteKey)
        removeSelectedRow(m_window, m_list);
}

void MainForm::PushButton4_Click()
{
    Guard guard(m_window, identity::PushButton4_Click);
    if (guard.test(1, [&] { return m_window.mousePointer() == PointerBusy; }))
        return;
    guard.step(2, [&] { m_list.clear(); });
}

} // namespace plumark
