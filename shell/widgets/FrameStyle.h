#pragma once

#include <QProxyStyle>

namespace plumark {

// The style of the window's frames: an etched line around an inside of the
// frame's own background colour. (Fusion tints a frame's inside grey.)
class FrameStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};

} // namespace plumark
