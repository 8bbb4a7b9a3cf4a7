#include "app/tfmandel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "app/fieldtext.h"
#include "colour/palette.h"
#include "numtext/numtext.h"
#include "platform/accessibility.h"
#include "platform/errorreport.h"
#include "platform/factorgrid.h"
#include "platform/primarycapture.h"
#include "platform/radiogroup.h"
#include "platform/singleline.h"
#include "render/rowpool.h"
#include "platform/surface.h"
#include "platform/windowstate.h"
#include "render/engine.h"

namespace {

constexpr QRgb kFormColour = qRgb(0xF0, 0xF0, 0xF0); // colour value 15790320

QFont verdana(int pixels)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(pixels);
    return font;
}

QWidget *whitePanel(QWidget *parent, const char *name)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    return panel;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->adjustSize();
    l->move(left, top);
    return l;
}

} // namespace

Tfmandel::Tfmandel(QWidget *parent)
    : QWidget(parent)
    , pool_(std::make_unique<RowPool>())
    , engine_(std::make_unique<zoom::RowEngine>(*pool_))
{
    // Before any control exists: a control that reports a change as it is
    // built (a radio button checked) is described from then on.
    installAccessibility();
    setObjectName(QStringLiteral("Tfmandel"));
    setWindowTitle(QStringLiteral("Vergrößerungen und Farbanimationen an der Mandelbrotmenge"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
                   | Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kFormColour));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFont(verdana(12));

    captureByPrimaryButtonOnly();
    buildControls();
    connectHandlers();
    describeControls();

    normalPlace_ = centredPlace();
    setGeometry(normalPlace_);
    new WindowStateWatch(this, [this] { followWindowState(); });
    followWindowState();
    // No frame shows the controls before the activation has set their
    // defaults: until then the window shows its plain background.
    Panel2->hide();
}

Tfmandel::~Tfmandel()
{
    Timer1->stop();
    FormDestroy();
}

QSize Tfmandel::thumbnailSize() const
{
    return mandel1->size();
}

std::array<PaintSurface *, 6> Tfmandel::thumbnails() const
{
    return {mandel1, mandel2, mandel3, mandel4, mandel5, mandel6};
}

PaintSurface *Tfmandel::thumbnail(int n) const
{
    return n >= 1 && n <= 6 ? thumbnails()[n - 1] : nullptr;
}

void Tfmandel::buildControls()
{
    buildPanels();
    buildOverview();
    buildTargetControls();
    buildColourControls();
    orderFocus();
}

void Tfmandel::buildPanels()
{
    Panel2 = whitePanel(this, "Panel2");
    Panel1 = whitePanel(Panel2, "Panel1");
    MaPanel = whitePanel(Panel1, "MaPanel");

    PaintSurface **thumbs[] = {&mandel1, &mandel2, &mandel3, &mandel4, &mandel5, &mandel6};
    for (int n = 0; n < 6; ++n) {
        auto *surface = new PaintSurface(MaPanel);
        surface->setObjectName(QStringLiteral("mandel%1").arg(n + 1));
        *thumbs[n] = surface;
    }

    Panel3 = whitePanel(MaPanel, "Panel3");
    Panel3->setGeometry(0, 0, kPanel3Width, kClientSize.height());
}

void Tfmandel::buildOverview()
{
    Label1 = label(Panel3, "Label1", QStringLiteral("Mandelbrotmenge"), 120, 16);
    Label1->setFont(verdana(13));
    {
        QPalette p = Label1->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 0x80)); // navy
        Label1->setPalette(p);
        Label1->adjustSize();
    }

    Paintbox = new PaintSurface(Panel3);
    Paintbox->setObjectName(QStringLiteral("Paintbox"));
    Paintbox->setGeometry(16, 40, 329, 321);
    Paintbox->setMouseTracking(true);

    overviewPicture_ = QImage(QStringLiteral(":/overview.bmp")).convertToFormat(QImage::Format_RGB32);
    mandelimage = new QLabel(Panel3);
    mandelimage->setObjectName(QStringLiteral("mandelimage"));
    mandelimage->setPixmap(QPixmap::fromImage(overviewPicture_));
    mandelimage->setGeometry(16, 40, overviewPicture_.width(), overviewPicture_.height());
    mandelimage->hide();
}

void Tfmandel::buildTargetControls()
{
    Zeichnen = new QPushButton(QStringLiteral("Vergrößerungen zeichnen"), Panel3);
    Zeichnen->setObjectName(QStringLiteral("Zeichnen"));
    Zeichnen->setGeometry(88, 376, 185, 25);
    Zeichnen->setDefault(true);

    Label3 = label(Panel3, "Label3", QStringLiteral("Zielpunkt"), 40, 416);
    Label4 = label(Panel3, "Label4", QStringLiteral("x1"), 16, 444);
    Edit1 = new QLineEdit(Panel3);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(40, 440, 129, 22);
    Label2 = label(Panel3, "Label2", QStringLiteral("y1"), 16, 476);
    Edit2 = new QLineEdit(Panel3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(40, 472, 129, 22);
    keepOneLine(Edit1);
    keepOneLine(Edit2);

    tabelle = new FactorGrid(2, 7, Panel3);
    tabelle->setObjectName(QStringLiteral("tabelle"));
    tabelle->setGeometry(184, 416, 162, 148);
    tabelle->setFont(verdana(12));
    tabelle->setCellSize(80, 20);

    Label5 = new QLabel(Panel3);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setText(QStringLiteral("Koordinaten in Zeilen eintragen, Zielpunkt auf der\n"
                                   "Mandelbrotmenge verschieben oder auf den \n"
                                   "Einzelbildern anklicken.\n"
                                   "Achtung! Die Berechnung kann sehr lange dauern!"));
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label5->setGeometry(16, 576, 319, 56);
}

void Tfmandel::buildColourControls()
{
    RadioGroup1 = new RadioGroup(QStringLiteral("Farbgebung"),
                                 {QStringLiteral("Vertigo"), QStringLiteral("Spezial"),
                                  QStringLiteral("Neon"), QStringLiteral("RGB")},
                                 Panel3);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(16, 648, 329, 49);
    RadioGroup1->setItemIndex(0);

    Button1 = new QPushButton(QStringLiteral("Farbanimation"), Panel3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(206, 704, 139, 25);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    Timer1->setTimerType(Qt::PreciseTimer);
}

void Tfmandel::orderFocus()
{
    // Tab order: Zeichnen, tabelle, Edit1, Edit2, RadioGroup1, Button1.
    for (QWidget *w : std::initializer_list<QWidget *>{Paintbox, mandel1, mandel2, mandel3, mandel4,
                                                       mandel5, mandel6, Label5})
        w->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Zeichnen, tabelle);
    setTabOrder(tabelle, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, RadioGroup1->item(0));
    for (int i = 1; i < 4; ++i)
        setTabOrder(RadioGroup1->item(i - 1), RadioGroup1->item(i));
    setTabOrder(RadioGroup1->item(3), Button1);
    Zeichnen->setFocus();
}

void Tfmandel::connectHandlers()
{
    connect(Zeichnen, &QPushButton::clicked, this,
            [this] { guarded([&] { ZeichnenClick(Zeichnen); }); });
    connect(RadioGroup1, &RadioGroup::clicked, this,
            [this] { guarded([&] { RadioGroup1Click(RadioGroup1); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { guarded([&] { Button1Click(Button1); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([&] { Timer1Timer(Timer1); }); });

    for (int n = 1; n <= 6; ++n) {
        PaintSurface *surface = thumbnail(n);
        connect(surface, &PaintSurface::mousePressed, this,
                [this, surface](int x, int y, Qt::MouseButton button,
                                Qt::KeyboardModifiers modifiers) {
                    guarded([&] { superMousedown(surface, button, modifiers, x, y); });
                });
    }

    connect(Paintbox, &PaintSurface::mousePressed, this,
            [this](int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                guarded([&] { PaintboxMouseDown(Paintbox, button, modifiers, x, y); });
            });
    connect(Paintbox, &PaintSurface::mouseMoved, this,
            [this](int x, int y, Qt::MouseButtons, Qt::KeyboardModifiers modifiers) {
                guarded([&] { PaintboxMouseMove(Paintbox, modifiers, x, y); });
            });
    connect(Paintbox, &PaintSurface::mouseReleased, this,
            [this](int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                guarded([&] { PaintboxMouseUp(Paintbox, button, modifiers, x, y); });
            });
    Paintbox->setPaintHandler([this] { guarded([&] { PaintboxPaint(); }); });

    MaPanel->installEventFilter(this);
}

bool Tfmandel::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && !activated_) {
        const bool result = QWidget::event(event);
        activateOnce();
        return result;
    }
    return QWidget::event(event);
}

void Tfmandel::activateOnce()
{
    if (activated_)
        return;
    activated_ = true;
    // Shown and given their defaults in one go, before anything paints.
    Panel2->show();
    Zeichnen->setFocus();
    guarded([&] { FormActivate(); });
    // The first paint of the overview follows the activation.
    Paintbox->update();
}

void Tfmandel::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (activated_)
        return;
    // Ask for the focus when first shown; but the defaults do not wait for
    // it. Where the focus never comes (a compositor without input devices,
    // focus stealing prevention) the window would otherwise stay blank: they
    // are set now, before the window's first frame, once, as the first
    // activation would have set them.
    activateWindow();
    activateOnce();
}

void Tfmandel::closeEvent(QCloseEvent *event)
{
    if (runDepth_ > 0) {
        // The run ends at its next progress check; the window closes then.
        closePending_ = true;
        idle = true;
        event->ignore();
        return;
    }
    Timer1->stop();
    event->accept();
}

void Tfmandel::keyPressEvent(QKeyEvent *event)
{
    // Enter that no control took presses the window's default button, or the
    // push button with the focus.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *button = qobject_cast<QPushButton *>(focusWidget());
        (button ? button : Zeichnen)->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Tfmandel::FormActivate()
{
    idle = true;
    dragging = false;
    dragIndex = 0;
    LoadPalette("VERTIGO");
    target = {-1.41, 0.0};
    showPoint(Edit1, Edit2, target, 10);
    tabelle->setCell(1, 0, QStringLiteral("Faktor"));
    for (int n = 1; n <= 6; ++n) {
        tabelle->setCell(1, n, QStringLiteral("1") + QString(n, QLatin1Char('0')));
        tabelle->setCell(0, n, QStringLiteral("Bild %1").arg(n));
    }
    MaPanelResize();
}

void Tfmandel::MaPanelResize()
{
    laidOut_ = MaPanel->size();
    layoutDue_ = false;
    const int W = MaPanel->width();
    const int H = MaPanel->height();
    const int P = Panel3->width();
    const int a = (W - P) / 2;
    const int b = H / 3;
    for (int n = 1; n <= 6; ++n) {
        const int left = n <= 3 ? P : P + a;
        const int top = ((n - 1) % 3) * b + 1;
        thumbnail(n)->setGeometry(left, top, a - 1, b - 1);
    }
    iterations.resize(7, a + 1, b + 1);
    cyclePhase = 0;
    for (int i = 1; i <= 6; ++i) {
        images[i].reset();
        images[i] = std::make_unique<Picture>(a, b);
    }
}

void Tfmandel::FormDestroy()
{
    if (destroyed_)
        return;
    destroyed_ = true;
    iterations.resize(0, 0, 0);
    for (int i = 1; i <= 6; ++i)
        images[i].reset();
}
