#include "shell/widgets/FrameStyle.h"

#include <QStyleOption>
#include <qdrawutil.h>

namespace plumark {

void FrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const
{
    if (element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    qDrawShadeRect(painter, option->rect, option->palette, true, 1);
}

} // namespace plumark
