#include "shell/widgets/ReturnKey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace plumark {

namespace {

class ReturnPressesButton : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
            return false;
        auto* button = static_cast<QPushButton*>(watched);
        if (!key->isAutoRepeat() && button->isEnabled())
            button->click();
        return true;
    }
};

} // namespace

void pressButtonsOnReturn(QWidget* window)
{
    auto* filter = new ReturnPressesButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(filter);
}

} // namespace plumark
