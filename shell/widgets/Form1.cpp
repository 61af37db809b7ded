#include "shell/widgets/Form1.h"

#include "base/Failure.h"
#include "shell/widgets/CursorFile.h"
#include "shell/widgets/DesktopNotification.h"
#include "shell/widgets/FileOpenDialog.h"
#include "shell/widgets/FrameStyle.h"
#include "shell/widgets/ListView.h"
#include "shell/widgets/MessageBox.h"
#include "shell/widgets/ProgressBar1.h"
#include "shell/widgets/ReturnKey.h"
#include "shell/widgets/ScreenFit.h"
#include "shell/widgets/StyleSheetCheck.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace plumark {

namespace {

constexpr int ClientWidth = 8040;
constexpr int ClientHeight = 8205;
constexpr int IconSizes[] = {16, 24, 32, 48, 64, 128, 256};

void place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

QFont arial(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// Each control fills with the colour of its own background role: the window
// and frames with the window colour, option buttons with the button colour.
void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Carriage returns separate the lines of a message.
QString shownText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A screen reader takes a plain top-level widget for a filler; the main
// window is announced as a window, with its title.
QAccessibleInterface* accessibleForm(const QString& className, QObject* object)
{
    if (className == QLatin1String("plumark::Form1") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent), m_form(*this, m_list)
{
    static const bool accessibleFormInstalled = [] {
        QAccessible::installFactory(accessibleForm);
        return true;
    }();
    Q_UNUSED(accessibleFormInstalled);
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(twips(ClientWidth), twips(ClientHeight));
    setFont(arial(9));
    setBackground(this, Qt::white);
    setMouseTracking(true);
    buildControls();
    connectEvents();
    pressButtonsOnReturn(this);
    m_form.cursorScreenY = [] { return QCursor::pos().y(); };
}

Form1::~Form1()
{
    // The controls outlive the logic they report to: the folder text, losing
    // its focus as it goes, would run a handler of a form already gone.
    for (QObject* control : findChildren<QObject*>())
        disconnect(control, nullptr, this, nullptr);
}

QPushButton* Form1::makeButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(arial(11.25));
    button->setAutoDefault(false);
    return button;
}

QRadioButton* Form1::makeOption(const char* name, const QString& caption, QWidget* parent)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(QLatin1String(name));
    setBackground(option, Qt::white);
    return option;
}

QGroupBox* Form1::makeFrame(const char* name, const QString& caption, QWidget* parent)
{
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setStyle(m_frameStyle);
    setBackground(frame, Qt::white);
    return frame;
}

void Form1::buildControls()
{
    m_frameStyle = new FrameStyle;
    m_frameStyle->setParent(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("SurfaceScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_surface = new QWidget;
    m_surface->setObjectName(QStringLiteral("Surface"));
    m_surface->setFixedSize(twips(ClientWidth), twips(ClientHeight));
    m_scroll->setWidget(m_surface);
    QWidget* const surface = m_surface;

    m_listView = new ListView(surface);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_listView->setModel(&m_list);
    const QString hint = tr("Drag and drop files here. Double-click item to remove it. Move | line "
                            "to right and out of window to reveal full names.");
    m_listView->setToolTip(hint);
    m_listView->header()->hide();
    m_listView->setAccessibleName(tr("M4A files"));
    // The list's accessible interface does not fall back to its hint.
    m_listView->setAccessibleDescription(hint);
    place(m_listView, 120, 120, 7800, 2535);

    m_pushButton1 = makeButton("PushButton1", tr("Add M4A File(s)"), surface);
    place(m_pushButton1, 120, 2750, 3840, 405);
    m_pushButton3 = makeButton("PushButton3", tr("Add All M4A File(s) In Folder"), surface);
    place(m_pushButton3, 4080, 2750, 3840, 405);
    m_pushButton4 = makeButton("PushButton4", tr("Clear List"), surface);
    place(m_pushButton4, 120, 3260, 3840, 405);
    m_pushButton5 = makeButton("PushButton5", tr("Load Sample/Example Files"), surface);
    place(m_pushButton5, 4080, 3260, 3840, 405);

    m_frame2 = makeFrame("Frame2", tr("Bit Rate Of Output File"), surface);
    place(m_frame2, 120, 3710, 7800, 1485);
    m_option1 =
        makeOption("Option1", tr("Use same bit rate as input file (most efficient)"), m_frame2);
    place(m_option1, 240, 300, 4695, 255);
    m_option1->setChecked(true);
    m_option2 = makeOption("Option2", tr("Use this constant bit rate for all files:"), m_frame2);
    place(m_option2, 240, 650, 3460, 255);
    m_combo1 = new QComboBox(m_frame2);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setEditable(false);
    m_combo1->setMaxVisibleItems(18);
    place(m_combo1, 480, 960, 6840, 345);

    m_frame1 = makeFrame("Frame1", tr("Save Option"), surface);
    place(m_frame1, 120, 5235, 7800, 1815);
    m_option3 = makeOption("Option3", tr("Save results to this folder:"), m_frame1);
    place(m_option3, 240, 300, 3615, 255);
    m_option3->setChecked(true);
    m_frame3 = makeFrame("Frame3", QString(), m_frame1);
    m_frame3->setAccessibleName(tr("Output folder"));
    place(m_frame3, 480, 510, 6840, 810);
    m_text1 = new QLineEdit(m_frame3);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(tr("Output folder"));
    place(m_text1, 240, 300, 5670, 345);
    m_pushButton7 = makeButton("PushButton7", QStringLiteral("..."), m_frame3);
    m_pushButton7->setAccessibleName(tr("Choose the output folder"));
    place(m_pushButton7, 6000, 300, 600, 345);
    m_option4 = makeOption("Option4", tr("Save results in folder of original file"), m_frame1);
    place(m_option4, 240, 1410, 3615, 255);

    m_pushButton2 = makeButton("PushButton2", tr("Start Converting"), surface);
    place(m_pushButton2, 120, 7170, 7800, 405);
    m_progressBar1 = new ProgressBar1(surface);
    m_progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar1->setAccessibleName(tr("Progress"));
    place(m_progressBar1, 120, 7690, 7800, 405);

    // Pointer moves reach only the control under the pointer, never its frame.
    for (QWidget* control : surface->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setAttribute(Qt::WA_NoMousePropagation);
    surface->setAttribute(Qt::WA_NoMousePropagation);
    for (QWidget* control : m_frame1->findChildren<QWidget*>())
        control->setAttribute(Qt::WA_NoMousePropagation);
    for (QWidget* control : m_frame2->findChildren<QWidget*>())
        control->setAttribute(Qt::WA_NoMousePropagation);
    for (QWidget* tracked :
         {surface, static_cast<QWidget*>(m_frame1), static_cast<QWidget*>(m_frame2),
          static_cast<QWidget*>(m_frame3), static_cast<QWidget*>(m_text1),
          static_cast<QWidget*>(m_pushButton1), static_cast<QWidget*>(m_pushButton2),
          static_cast<QWidget*>(m_pushButton3), static_cast<QWidget*>(m_pushButton4),
          static_cast<QWidget*>(m_pushButton5), static_cast<QWidget*>(m_pushButton7)}) {
        tracked->setMouseTracking(true);
        tracked->installEventFilter(this);
    }
}

template <class F> void Form1::handle(F&& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        qWarning("%s", e.what());
    }
}

void Form1::connectEvents()
{
    const auto onClick = [this](QPushButton* button, void (MainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { handle([&] { (m_form.*handler)(); }); });
    };
    onClick(m_pushButton1, &MainForm::PushButton1_Click);
    onClick(m_pushButton2, &MainForm::PushButton2_Click);
    onClick(m_pushButton3, &MainForm::PushButton3_Click);
    onClick(m_pushButton4, &MainForm::PushButton4_Click);
    onClick(m_pushButton5, &MainForm::PushButton5_Click);
    onClick(m_pushButton7, &MainForm::PushButton7_Click);

    const auto onOption = [this](QRadioButton* option, void (MainForm::*handler)()) {
        connect(option, &QRadioButton::clicked, this,
                [this, handler] { handle([&] { (m_form.*handler)(); }); });
    };
    onOption(m_option1, &MainForm::Option1_Click);
    onOption(m_option2, &MainForm::Option2_Click);
    onOption(m_option3, &MainForm::Option3_Click);
    onOption(m_option4, &MainForm::Option4_Click);

    connect(m_combo1, &QComboBox::activated, this,
            [this] { handle([&] { m_form.Combo1_Click(); }); });
    connect(m_text1, &QLineEdit::textEdited, this,
            [this] { handle([&] { m_form.Text1_Change(); }); });
    connect(m_text1, &QLineEdit::editingFinished, this,
            [this] { handle([&] { m_form.Text1_EditingFinished(); }); });

    m_listView->acceptsDrag = [this](bool offersFiles) {
        bool accepted = false;
        handle([&] { accepted = m_form.ListView1_OLEDragOver(offersFiles); });
        return accepted;
    };
    connect(m_listView, &ListView::filesDropped, this, [this](const QStringList& paths) {
        handle([&] { m_form.ListView1_OLEDragDrop(paths); });
    });
    connect(m_listView, &ListView::rowClicked, this,
            [this](int row) { handle([&] { m_form.ListView1_ItemClick(row); }); });
    connect(m_listView, &ListView::buttonPressed, this, [this](int b, int s, int x, int y) {
        handle([&] { m_form.ListView1_MouseDown(b, s, x, y); });
    });
    connect(m_listView, &ListView::pointerMoved, this, [this](int b, int s, int x, int y) {
        handle([&] { m_form.ListView1_MouseMove(b, s, x, y); });
    });
    connect(m_listView, &ListView::buttonReleased, this, [this](int b, int s, int x, int y) {
        handle([&] { m_form.ListView1_MouseUp(b, s, x, y); });
    });
    connect(m_listView, &ListView::doubleClickedAnywhere, this,
            [this] { handle([&] { m_form.ListView1_DblClick(); }); });
    connect(m_listView, &ListView::keyDown, this,
            [this](int key, int shift) { handle([&] { m_form.ListView1_KeyDown(key, shift); }); });
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (qobject_cast<QPushButton*>(watched))
            handle([&] { m_form.PushButton_MouseMove(); });
        else
            handle([&] { m_form.Surface_MouseMove(); });
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    handle([&] { m_form.Surface_MouseMove(); });
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent*)
{
    m_form.Form_Unload();
}

void Form1::showEvent(QShowEvent* event)
{
    fitToScreen();
    if (!m_followsScreen && windowHandle()) {
        m_followsScreen = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this] { fitToScreen(); });
    }
    QWidget::showEvent(event);
}

void Form1::centreOnScreen()
{
    fitToScreen();
    plumark::centreOnScreen(this);
}

void Form1::fitToScreen()
{
    const QSize designed = m_surface->size();
    const QSize room = roomForContents(this);
    const int bar = m_scroll->verticalScrollBar()->sizeHint().width();
    // A scroll bar for one direction takes room from the other.
    bool tall = designed.height() > room.height();
    const bool wide = designed.width() + (tall ? bar : 0) > room.width();
    tall = tall || (wide && designed.height() + bar > room.height());
    const QSize fitted(std::min(designed.width() + (tall ? bar : 0), room.width()),
                       std::min(designed.height() + (wide ? bar : 0), room.height()));
    if (fitted == designed) {
        setFixedSize(designed);
        return;
    }
    // The user may make it smaller still, and as large again as it fits.
    setMinimumSize(fitted.boundedTo(designed / 4));
    setMaximumSize(fitted);
    resize(fitted);
}

int Form1::selectedRow() const
{
    const QModelIndexList rows = m_listView->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

void Form1::selectRow(int row)
{
    // Selecting scrolls nothing: only ensureRowVisible scrolls the list.
    const bool autoScroll = m_listView->hasAutoScroll();
    m_listView->setAutoScroll(false);
    m_listView->selectionModel()->setCurrentIndex(
        m_list.index(row - 1), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_listView->setAutoScroll(autoScroll);
}

void Form1::ensureRowVisible(int row)
{
    m_listView->scrollTo(m_list.index(row - 1), QAbstractItemView::EnsureVisible);
}

int Form1::rowAt(int x, int y) const
{
    return m_listView->rowAt(x, y);
}

void Form1::setListPointer(int value, const QString& iconFile)
{
    std::optional<QCursor> custom;
    if (value == ListPointerCustom)
        custom = cursorFromFile(iconFile);
    m_listView->viewport()->setCursor(custom ? *custom : QCursor(Qt::ArrowCursor));
}

void Form1::addListColumn(const QString& header)
{
    m_list.setHeader(header);
    m_listView->header()->show();
}

void Form1::setListColumnWidth(int value)
{
    m_listView->setColumnWidth(0, twips(value));
}

QRadioButton* Form1::optionButton(int n) const
{
    switch (n) {
    case 1:
        return m_option1;
    case 2:
        return m_option2;
    case 3:
        return m_option3;
    case 4:
        return m_option4;
    }
    throw Failure(QStringLiteral("There is no option button %1").arg(n));
}

bool Form1::option(int n) const
{
    return optionButton(n)->isChecked();
}

void Form1::setOption(int n, bool selected)
{
    QRadioButton* button = optionButton(n);
    if (selected) {
        button->setChecked(true);
        return;
    }
    // An exclusive radio button cannot be cleared on its own.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void Form1::addRateEntry(const QString& text)
{
    // Qt would choose the first entry added; the box keeps its choice (none
    // at first) until a rate is set or picked.
    const int chosen = m_combo1->currentIndex();
    m_combo1->addItem(text);
    m_combo1->setCurrentIndex(chosen);
}

QString Form1::rateText() const
{
    return m_combo1->currentText();
}

void Form1::setRateText(const QString& text)
{
    const int index = m_combo1->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        throw Failure(tr("Invalid property value: \"%1\" is not a rate entry").arg(text));
    m_combo1->setCurrentIndex(index);
}

bool Form1::rateEnabled() const
{
    return m_combo1->isEnabled();
}

void Form1::setRateEnabled(bool enabled)
{
    m_combo1->setEnabled(enabled);
}

QString Form1::folderText() const
{
    return m_text1->text();
}

void Form1::setFolderText(const QString& text)
{
    m_text1->setText(text);
}

bool Form1::folderFrameEnabled() const
{
    return m_frame3->isEnabled();
}

void Form1::setFolderFrameEnabled(bool enabled)
{
    m_frame3->setEnabled(enabled);
}

ProgressBar& Form1::progressBar()
{
    return *m_progressBar1;
}

void Form1::setMousePointer(int value)
{
    m_pointer = value;
    if (value == PointerBusy)
        setCursor(Qt::WaitCursor);
    else if (value == PointerHand && m_handCursor)
        setCursor(*m_handCursor);
    else
        unsetCursor();
}

void Form1::setCaption(const QString& caption)
{
    setWindowTitle(caption);
    // Qt 6.11 no longer names a window by its title to screen readers.
    setAccessibleName(caption);
}

void Form1::setProductIcon()
{
    QIcon icon;
    for (int size : IconSizes)
        icon.addFile(QStringLiteral(":/plumark/icons/plumark-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

void Form1::setApplicationTitle(const QString& title)
{
    m_applicationTitle = title;
}

void Form1::loadHandPointer(const QString& cursorFile)
{
    m_handCursor = cursorFromFile(cursorFile);
    if (!m_handCursor)
        throw Failure(tr("Invalid picture: \"%1\"").arg(cursorFile));
}

void Form1::applySkin(const QString& skinFile)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_frame1),
                            static_cast<QWidget*>(m_frame2), static_cast<QWidget*>(m_frame3),
                            static_cast<QWidget*>(m_option1), static_cast<QWidget*>(m_option2),
                            static_cast<QWidget*>(m_option3), static_cast<QWidget*>(m_option4)})
        setBackground(widget, face);
    QFile sheet(skinFile);
    if (!sheet.open(QIODevice::ReadOnly))
        throw Failure(
            tr("The skin \"%1\" could not be read: %2").arg(skinFile, sheet.errorString()));
    const QString text = QString::fromUtf8(sheet.readAll());
    if (!styleSheetParses(text))
        throw Failure(tr("The skin \"%1\" is not a style sheet that Qt can parse").arg(skinFile));
    setStyleSheet(text);
}

void Form1::message(const QString& text, const QString& title, MessageIcon icon)
{
    MessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                   title.isEmpty() ? applicationTitle() : title, shownText(text), QMessageBox::Ok,
                   this);
    box.exec();
}

bool Form1::question(const QString& text)
{
    MessageBox box(QMessageBox::NoIcon, applicationTitle(), shownText(text),
                   QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

QString Form1::inputBox(const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, applicationTitle(), shownText(prompt),
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QString Form1::browseForFolder(const QString& title, const QString& initialFolder)
{
    return QFileDialog::getExistingDirectory(this, title, initialFolder);
}

QString Form1::openFileDialog(const FileDialogSetup& setup)
{
    FileOpenDialog dialog(this, setup);
    return dialog.exec() == QDialog::Accepted ? dialog.result() : QString();
}

void Form1::openExternally(const QString& target)
{
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

void Form1::yield()
{
    QCoreApplication::processEvents();
}

void Form1::runEnded(int converted, int notConverted)
{
    if (!isActiveWindow())
        notifyRunEnded(applicationTitle(), converted, notConverted);
}

} // namespace plumark
