#pragma once

#include <QMessageBox>

class QScrollArea;

namespace plumark {

// A message box that always fits its screen's available area: a text too
// tall for it scrolls, and the buttons stay in view.
class MessageBox : public QMessageBox
{
    Q_OBJECT
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Moves the text into a scroll area beside the buttons.
    void scrollText();

    QScrollArea* m_scroll = nullptr;
};

} // namespace plumark
