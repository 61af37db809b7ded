#include "shell/widgets/FrameStyle.h"

#include <QGroupBox>
#include <QStyleOption>
#include <algorithm>
#include <qdrawutil.h>

namespace plumark {

namespace {

// The gap above a frame's line, below its title if it has one (Fusion's).
constexpr int FrameTopMargin = 3;

} // namespace

void FrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const
{
    if (element != PE_FrameGroupBox) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    int top = FrameTopMargin;
    if (const auto* frame = qobject_cast<const QGroupBox*>(widget);
        frame && !frame->title().isEmpty())
        top += std::max(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                        option->fontMetrics.height());
    qDrawShadeRect(painter, option->rect.adjusted(0, top, 0, 0), option->palette, true, 1);
}

} // namespace plumark
