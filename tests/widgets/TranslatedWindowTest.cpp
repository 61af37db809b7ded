#include "TestForm.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTranslator>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace plumark;
using namespace plumark::test;

namespace {

// The window built and loaded while a shipped translation is installed, as
// the program does at start for the user's language.
class TranslatedForm
{
public:
    explicit TranslatedForm(const char* language)
    {
        const QString file = QStringLiteral(PLUMARK_BINARY_DIR "/translations/plumark_%1.qm")
                                 .arg(QLatin1String(language));
        loaded = m_translator.load(file);
        QCoreApplication::installTranslator(&m_translator);
        m_form.emplace();
        m_form->form().setProgramFolder(m_programFolder.path());
        m_form->form().randomSource = [] { return 0.0; };
        m_form->form().Form_Load();
    }
    ~TranslatedForm()
    {
        m_form.reset();
        QCoreApplication::removeTranslator(&m_translator);
    }

    TestForm& form() { return *m_form; }
    template <class T = QWidget> T* control(const char* name)
    {
        return m_form->findChild<T*>(QLatin1String(name));
    }

    bool loaded = false;

private:
    QTranslator m_translator;
    QTemporaryDir m_programFolder;
    std::optional<TestForm> m_form;
};

QString shownText(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        return frame->title();
    return {};
}

// The width the style leaves for a control's caption.
int textRoom(QWidget* widget)
{
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        return frame->style()
            ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, frame)
            .width();
    }
    QStyleOptionButton option;
    option.initFrom(widget);
    const auto element = qobject_cast<QRadioButton*>(widget) ? QStyle::SE_RadioButtonContents
                                                             : QStyle::SE_PushButtonContents;
    return widget->style()->subElementRect(element, &option, widget).width();
}

TEST(TranslatedWindow, ShowsGermanTextsAndMessages)
{
    TranslatedForm german("de");
    ASSERT_TRUE(german.loaded);
    const struct
    {
        const char* control;
        const char* text;
    } cases[] = {
        {"PushButton1", "M4A-Datei(en) hinzufügen"},
        {"PushButton3", "Alle M4A im Ordner hinzufügen"},
        {"PushButton4", "Liste leeren"},
        {"PushButton5", "Beispieldateien laden"},
        {"Frame2", "Bitrate der Ausgabedatei"},
        {"Option1", "Gleiche Bitrate wie Eingabe (am effizientesten)"},
        {"Option2", "Diese feste Bitrate für alle Dateien:"},
        {"Frame1", "Speicherort"},
        {"Option3", "In diesem Ordner speichern:"},
        {"Option4", "Im Ordner der Originaldatei speichern"},
        {"PushButton2", "Konvertierung starten"},
        {"PushButton7", "..."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shownText(german.control(c.control)), QString::fromUtf8(c.text)) << c.control;

    auto* list = german.control<QTreeView>("ListView1");
    EXPECT_EQ(list->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("M4A-Datei(en)"));
    EXPECT_TRUE(list->toolTip().startsWith(QStringLiteral("Dateien hierher ziehen und ablegen.")));
    EXPECT_EQ(german.form().progressBar().text(), QStringLiteral("Fortschrittsanzeige"));
    // The rate entries are stored as chosen and stay as they are.
    EXPECT_EQ(german.form().rateText(), QStringLiteral("128 kbps"));

    german.control<QPushButton>("PushButton2")->click();
    EXPECT_EQ(german.form().messages, QStringList{QStringLiteral("Keine Dateien hinzugefügt.")});
}

// The window's size is fixed: every caption of every shipped language fits
// its control as laid out.
TEST(TranslatedWindow, EveryCaptionFitsItsControlInEveryLanguage)
{
    for (const char* language : {"en", "de", "es", "fr"}) {
        TranslatedForm translated(language);
        ASSERT_TRUE(translated.loaded || QLatin1String(language) == QLatin1String("en"));
        for (QWidget* widget : translated.form().findChildren<QWidget*>()) {
            const QString text = shownText(widget);
            if (text.isEmpty())
                continue;
            EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), textRoom(widget))
                << language << " " << widget->objectName().toStdString() << " \""
                << text.toStdString() << "\"";
        }
    }
}

} // namespace
