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
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Moves the text into a scroll area beside the buttons.
    void scrollText();
    // Sizes the box with its scrolling text to the room it has.
    void fitScrolledText();

    QScrollArea* m_scroll = nullptr;
    // The size Qt gave the box for its whole text.
    QSize m_wholeText;
};

} // namespace plumark
