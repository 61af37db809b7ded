#pragma once

#include "base/Window.h"

#include <QCoreApplication>
#include <QProgressBar>

namespace plumark {

// ProgressBar1: a bar whose shown text is its own text. The value is kept as
// set (a real number), read back rounded and shown limited to 0..100.
class ProgressBar1 : public QProgressBar, public ProgressBar
{
    Q_OBJECT
public:
    explicit ProgressBar1(QWidget* parent = nullptr);

    int value() const override;
    void setValue(double value) override;
    QString text() const override;
    void setText(const QString& text) override;

protected:
    // The text is painted shortened in its middle to the room on the bar, so
    // that both of its ends stay in view.
    void initStyleOption(QStyleOptionProgressBar* option) const override;

private:
    double m_value = 0;
    QString m_text = QCoreApplication::translate("Conversion", "Progress Bar");
};

} // namespace plumark
