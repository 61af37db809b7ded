#include "shell/widgets/ProgressBar1.h"
#include "support/QStringPrinter.h"

#include <QFile>
#include <QStyleOptionProgressBar>
#include <gtest/gtest.h>

using namespace plumark;

TEST(ProgressBar1, ReadsBackTheNearestWholeNumberHalvesToEven)
{
    const struct
    {
        double set;
        int read;
    } cases[] = {{12.5, 12}, {13.5, 14},  {12.4, 12}, {12.6, 13}, {0.5, 0},
                 {1.5, 2},   {99.5, 100}, {100, 100}, {0, 0}};
    ProgressBar1 bar;
    for (const auto& c : cases) {
        bar.setValue(c.set);
        EXPECT_EQ(bar.ProgressBar1::value(), c.read) << c.set;
        EXPECT_EQ(bar.QProgressBar::value(), c.read) << c.set;
    }
}

namespace {

// The bar as the style is asked to paint it.
class PaintedBar : public ProgressBar1
{
public:
    QString paintedText() const
    {
        QStyleOptionProgressBar option;
        initStyleOption(&option);
        return option.text;
    }
};

} // namespace

// A text too long for the bar is painted shortened in its middle, both ends in
// view; the bar's own text stays whole, and a short text is painted whole:
// with the toolkit's style and with the window's skin.
TEST(ProgressBar1, PaintsALongTextShortenedInItsMiddle)
{
    QFile skinFile(QStringLiteral(PLUMARK_SOURCE_DIR "/assets/program/x/o.cjs"));
    ASSERT_TRUE(skinFile.open(QIODevice::ReadOnly));
    const QString skin = QString::fromUtf8(skinFile.readAll());
    for (const QString& sheet : {QString(), skin}) {
        SCOPED_TRACE(sheet.isEmpty() ? "the toolkit's style" : "the window's skin");
        PaintedBar bar;
        bar.setObjectName(QStringLiteral("ProgressBar1"));
        bar.setStyleSheet(sheet);
        bar.resize(520, 27);
        const QString start = QStringLiteral("Processing: ");
        const QString end = QStringLiteral(", Please wait.. 12");
        const QString longText = start + QStringLiteral("A very long name ").repeated(12) +
                                 QStringLiteral("in the middle.m4a") + end;
        const QString shortText = start + QStringLiteral("song.m4a") + end;

        bar.setText(longText);
        const QString painted = bar.paintedText();
        EXPECT_EQ(bar.text(), longText);
        EXPECT_TRUE(painted.startsWith(start)) << painted.toStdString();
        EXPECT_TRUE(painted.endsWith(end)) << painted.toStdString();
        EXPECT_TRUE(painted.contains(QChar(0x2026))) << painted.toStdString();
        EXPECT_LT(bar.fontMetrics().horizontalAdvance(painted), bar.width());

        for (const QString& text : {shortText, QStringLiteral("Progress Bar")}) {
            bar.setText(text);
            EXPECT_EQ(bar.paintedText(), text);
        }
    }
}
