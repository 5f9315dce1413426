#include "app/tform1.h"

#include "app/commandmap.h"

#include "editor/docio.h"
#include "editor/file_dialogs.h"
#include "editor/print_dialogs.h"
#include "editor/recovery.h"
#include "editor/tjre.h"
#include "format/colorbox.h"
#include "format/fontlist.h"
#include "format/statusbar.h"
#include "format/updown.h"
#include "platform/error.h"
#include "platform/guard.h"
#include "platform/inifile.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/safewrite.h"
#include "platform/settingspath.h"
#include "platform/windowfit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <climits>

TForm1 *Form1 = nullptr;

namespace {

// Design values of the window.
constexpr QRect kDesignGeometry(192, 114, 703, 538);
constexpr int kCoolBarHeight = 75;
// The sizing border around the client area: the bars and the editor sit
// inside it, so the status bar is 695 pixels wide at the design width.
constexpr int kBorder = 4;

// Shows ApplyHintStyle's style before every hint of the program.
class HintStyler : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::ToolTip)
            TForm1::ApplyHintStyle();
        return false;
    }
};

QCheckBox *makeCheckBox(QWidget *parent, const QString &hint) {
    auto *box = new QCheckBox(parent);
    box->setChecked(true);
    box->setToolTip(hint);
    box->setAccessibleName(hint);
    return box;
}

} // namespace

TForm1::TForm1(const QString &settingsPath, QWidget *parent)
    : QMainWindow(parent),
      ArgumentCount(int(QCoreApplication::arguments().size()) - 1),
      settingsPath_(settingsPath.isEmpty() ? settingsFilePath(QCoreApplication::applicationDirPath())
                                           : settingsPath) {
    Form1 = this;
    // The classic interface font is not on Linux; Liberation Sans has the
    // metrics of the fonts it was designed with, so texts fit their controls.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    setWindowTitle(QStringLiteral("Tessarin 2.0"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessarin.png")));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    move(kDesignGeometry.topLeft());
    resize(kDesignGeometry.size());
    buildLayout();
    FormCreate();
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
    delete Recovery; // before the editor it watches
    Recovery = nullptr;
    // Controls go after this window's own part: no signal of theirs (a font box
    // losing the focus reports a choice) may reach a handler of it meanwhile.
    for (QObject *child : findChildren<QObject *>())
        child->disconnect(this);
}

void TForm1::buildLayout() {
    MainMenu1 = menuBar();
    createFileDialogs();
    createPrintDialogs();

    auto *client = new QWidget(this);
    setCentralWidget(client);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(kBorder, 0, kBorder, kBorder);
    column->setSpacing(0);

    CoolBar1 = new QFrame(client);
    CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
    CoolBar1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    CoolBar1->setAccessibleName(QStringLiteral("Панели инструментов"));
    CoolBar1->setFixedHeight(kCoolBarHeight);
    auto *bands = new QVBoxLayout(CoolBar1);
    bands->setContentsMargins(2, 2, 2, 2);
    bands->setSpacing(2);
    // The bands are as wide as the window lets them be: what does not fit goes
    // behind each band's extension button, so the window can be made narrow.
    // Their titles are what a screen reader announces.
    ToolBar1 = new QToolBar(QStringLiteral("Панель инструментов"), CoolBar1);
    ToolBar2 = new QToolBar(QStringLiteral("Панель форматирования"), CoolBar1);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    for (QToolBar *band : {ToolBar1, ToolBar2}) {
        band->setIconSize(QSize(16, 16));
        band->setMovable(false);
        band->setFloatable(false);
        band->setContentsMargins(0, 0, 0, 0);
        band->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px; border: 0px; }"));
        band->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bands->addWidget(band);
    }
    ToolBar1->setFixedHeight(33);
    ToolBar2->setFixedHeight(30);
    bands->addStretch(1);
    buildToolBar2Controls();
    column->addWidget(CoolBar1);

    JRE = new TJRE(client);
    JRE->setObjectName(QStringLiteral("JRE"));
    JRE->setAccessibleName(QStringLiteral("Текст документа"));
    column->addWidget(JRE, 1);

    StatusBar1 = new TStatusBar(client);
    column->addWidget(StatusBar1);

    ColorBox1 = new TColorBox(client);
    ColorBox1->setToolTip(QStringLiteral("Цвет"));
    ColorBox1->SetDefaultColor(Qt::white);
    ColorBox2 = new TColorBox(client);
    ColorBox2->setToolTip(QStringLiteral("Цвет шрифта"));
    CB1 = makeCheckBox(client, QStringLiteral("Автоматический перенос строк"));
    CB2 = makeCheckBox(client, QStringLiteral("Режим RTF/Текстовый режим"));
    CB3 = makeCheckBox(client, QStringLiteral("Русский интерфейс"));
    placeOverlays();

    commandmap::build(*this);
    N51 = Action(QStringLiteral("N51"));
    N99 = Action(QStringLiteral("N99"));
    RTF1 = Action(QStringLiteral("RTF1"));
    RTF2 = Action(QStringLiteral("RTF2"));
    connectFormatting();
    connect(CB1, &QCheckBox::toggled, this, [this] { guarded([this] { CB1Click(); }); });
    connect(CB2, &QCheckBox::toggled, this, [this] { guarded([this] { CB2Click(); }); });
    connect(CB3, &QCheckBox::toggled, this, [this] { guarded([this] { CB3Click(); }); });
    connect(JRE, &TJRE::Change, this, [this] { guarded([this] { JREChange(); }); });
    connect(JRE, &TJRE::MouseDown, this, [this] { guarded([this] { JREMouseDown(); }); });
    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    Timer1->start();
    createTrayIcon();
    createRecovery();
}

void TForm1::buildToolBar2Controls() {
    ComboBox1 = new QComboBox(ToolBar2);
    ComboBox1->setEditable(true);
    ComboBox1->setFixedWidth(115);
    ComboBox1->setToolTip(QStringLiteral("Выбор шрифта"));
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ToolBar2->addWidget(ComboBox1);

    Edit1 = new QLineEdit(QStringLiteral("12"), ToolBar2);
    Edit1->setFixedWidth(26);
    Edit1->setToolTip(QStringLiteral("Размер шрифта"));
    ToolBar2->addWidget(Edit1);

    UpDown1 = new TUpDown(ToolBar2);
    UpDown1->setRange(0, 100);
    UpDown1->setValue(12);
    UpDown1->setFixedWidth(17);
    UpDown1->setToolTip(QStringLiteral("Покрути"));
    ToolBar2->addWidget(UpDown1);

    SpinEdit1 = new QSpinBox(ToolBar2);
    SpinEdit1->setRange(INT_MIN, INT_MAX); // equal limits: no limit
    SpinEdit1->setValue(0);
    SpinEdit1->setFixedWidth(38);
    SpinEdit1->setToolTip(QStringLiteral("Подтянуть слово"));
    ToolBar2->addWidget(SpinEdit1);
}

void TForm1::placeOverlays() {
    // Over the right end of the second band, in client coordinates of the
    // design. A window too narrow for them has them at its right edge, the
    // band's buttons they would cover behind its extension button.
    const int right = kBorder + 689;
    const int room = centralWidget() ? centralWidget()->width() - kBorder - 2 : right;
    const int x0 = kBorder + std::min(0, std::max(room - right, -560));
    ToolBar2->setMaximumWidth(x0 < kBorder ? std::max(0, x0 + 560 - ToolBar2->x() - CoolBar1->x()) : QWIDGETSIZE_MAX);
    ColorBox1->setGeometry(x0 + 560, 40, 41, 22);
    ColorBox2->setGeometry(x0 + 600, 40, 41, 22);
    CB1->setGeometry(x0 + 640, 40, 17, 25);
    CB2->setGeometry(x0 + 656, 40, 17, 25);
    CB3->setGeometry(x0 + 672, 40, 17, 25);
    for (QWidget *w : std::initializer_list<QWidget *>{ColorBox1, ColorBox2, CB1, CB2, CB3})
        w->raise();
}

void TForm1::FormCreate() {
    JRE->ApplyJustify(TJRE::Justify::Layout);
    static HintStyler *styler = nullptr;
    if (!styler)
        styler = new HintStyler(qApp);
    qApp->installEventFilter(styler);
    restoreGeometry();
    // A save of the last document that a crash cut short left its temporary file beside it.
    if (const QString last = IniFile(settingsPath_).readString(QStringLiteral("FILE"), QStringLiteral("OpenFile"), {});
        !last.isEmpty())
        SafeWriter::removeStale(docio::encodePath(last));
    StatusBar1->SetText(5, QStringLiteral("По ширине"));
    findKeyboardLayouts();
    JRE->SetTabStops({100});
    JRE->SetTabStops({15, 20, 25});

    ComboBox1->addItems(fontFamilies());
    fitListWidth(ComboBox1); // the list shows every name whole
    ComboBox1->setEditText(JRE->FontName());

    JRE->SetFont(JRE->FontName(), UpDown1->value());
    JRE->SetColor(ColorBox1->DefaultColor());
    // The spelling check, on unless the user turned it off in its menu.
    JRE->SetSpelling(IniFile(settingsPath_).readInteger(QStringLiteral("Spelling"), QStringLiteral("Check"), 1) != 0);
    connect(JRE, &TJRE::SpellingChanged, this, [this](bool on) {
        guarded([&] { IniFile(settingsPath_).writeInteger(QStringLiteral("Spelling"), QStringLiteral("Check"), on); });
    });

    const int w = (width() - 2 * kBorder) / 14; // the status bar's width, fourteen units
    const int units[TStatusBar::kPanels] = {2, 2, 2, 1, 1, 2, 3, 1};
    for (int i = 0; i < TStatusBar::kPanels; ++i)
        StatusBar1->SetWidth(i, units[i] * w);
    StatusBar1->SetText(1, QString());
    JRE->setFocus(); // the keyboard starts in the text
}

void TForm1::restoreGeometry() {
    const IniFile ini(settingsPath_);
    const QString form = QStringLiteral("FORM");
    const QPoint topLeft(ini.readInteger(form, QStringLiteral("Left"), x()), ini.readInteger(form, QStringLiteral("Top"), y()));
    const QSize size(ini.readInteger(form, QStringLiteral("Width"), width()),
                     ini.readInteger(form, QStringLiteral("Height"), height()));
    // Values that would put the window off the screen, or make it larger than
    // the screen, are made to fit the screen it lands on.
    const QScreen *screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect shown = windowfit::fit(topLeft, size, screen ? screen->availableGeometry() : QRect(), minimumSizeHint());
    move(shown.topLeft());
    resize(shown.size());
}

void TForm1::findKeyboardLayouts() {
    RussianLayout = 0;
    EnglishLayout = 0;
    for (const keyboard::Layout &layout : keyboard::layoutList(8)) {
        if ((layout.language & 0xFF) == 0x19)
            RussianLayout = layout.handle;
        else if ((layout.language & 0xFF) == 0x09)
            EnglishLayout = layout.handle;
    }
    if (EnglishLayout)
        keyboard::activate(EnglishLayout);
    if (RussianLayout)
        keyboard::activate(RussianLayout);
    StatusBar1->SetText(4, QStringLiteral("РУС."));
}

void TForm1::ApplyHintStyle() {
    QFont hint(QStringLiteral("Courier New"), 10);
    hint.setUnderline(true);
    QToolTip::setFont(hint);
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::ToolTipBase, QApplication::palette().color(QPalette::ToolTipBase));
    QToolTip::setPalette(p);
}

void TForm1::FormResize() {
    JRE->ApplyJustify(TJRE::Justify::Layout);
    StatusBar1->SetText(5, QStringLiteral("По ширине"));
}

void TForm1::RunCommand(void (TForm1::*handler)()) {
    const TJRE::ChangeBatch batch(JRE);
    guarded([&] { (this->*handler)(); });
}

QAction *TForm1::Action(const QString &name) const { return findChild<QAction *>(name); }

QRect TForm1::OuterGeometry() const { return QRect(x(), y(), width(), height()); }

void TForm1::FormClose() {
    // The settings are written, or the failure shown; the window closes either way.
    try {
        IniFile ini(settingsPath_);
        if (!OpenDialog1->FileName.isEmpty())
            ini.writeString(QStringLiteral("FILE"), QStringLiteral("OpenFile"), OpenDialog1->FileName);
        // The four values in one write: two programs closing together leave
        // one window's geometry, not a mix.
        const QRect outer = OuterGeometry();
        ini.writeStrings(QStringLiteral("FORM"), {{QStringLiteral("Left"), QString::number(outer.x())},
                                                  {QStringLiteral("Top"), QString::number(outer.y())},
                                                  {QStringLiteral("Width"), QString::number(outer.width())},
                                                  {QStringLiteral("Height"), QString::number(outer.height())}});
    } catch (const tessarin::Error &e) {
        messages::showError(e.message());
    }
}

void TForm1::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    placeOverlays();
    FormResize();
}

void TForm1::closeEvent(QCloseEvent *event) {
    if (!closed_) {
        bool close = false; // stays false when a save fails
        guarded([&] { close = SaveChangesBeforeClosing(); });
        if (!close) {
            event->ignore();
            return;
        }
        closed_ = true;
        Recovery->Discard(); // the changes were saved, or the user chose to drop them
        FormClose();
        RemoveTrayIcon();
        emit Closed();
    }
    event->accept();
}

void TForm1::EndProgramOnClose() {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    connect(this, &TForm1::Closed, qApp, &QCoreApplication::quit);
}
