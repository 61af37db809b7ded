#include "shell/widgets/ProgressBar1.h"

#include <QStyleOptionProgressBar>
#include <cmath>

namespace plumark {

namespace {

// Room kept free at the bar's ends together, in pixels, beside the painted text.
constexpr int Margin = 8;

} // namespace

ProgressBar1::ProgressBar1(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 100);
    QProgressBar::setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    // A screen reader reads the bar's text ("Processing: ...") as its description.
    setAccessibleDescription(m_text);
}

// The default rounding mode takes a half to the even neighbour (12.5 to 12).
int ProgressBar1::value() const
{
    return static_cast<int>(std::nearbyint(m_value));
}

void ProgressBar1::setValue(double value)
{
    m_value = value;
    const double shown = std::isfinite(value) ? std::clamp(value, 0.0, 100.0) : 0.0;
    QProgressBar::setValue(static_cast<int>(std::nearbyint(shown)));
}

QString ProgressBar1::text() const
{
    return m_text;
}

void ProgressBar1::initStyleOption(QStyleOptionProgressBar* option) const
{
    QProgressBar::initStyleOption(option);
    // The text is centred over the whole bar. (The style's label rectangle
    // is no measure: under a style sheet it is the text's own width.)
    option->text = option->fontMetrics.elidedText(option->text, Qt::ElideMiddle,
                                                  option->rect.width() - Margin);
}

void ProgressBar1::setText(const QString& text)
{
    m_text = text;
    setAccessibleDescription(text);
    update();
}

} // namespace plumark
