// The window at start: controls, defaults, layout, teardown, the error
// report, keyboard handling of the grid and the draw button.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

#include "app/tfmandel.h"
#include "colour/palette.h"
#include "numtext/numtext.h"
#include "platform/errorreport.h"
#include "platform/factorgrid.h"
#include "platform/radiogroup.h"
#include "platform/surface.h"
#include "tests/support/window_fixture.h"

namespace {

TEST_F(WindowTest, ControlsCarryTheirNamesCaptionsAndPlaces)
{
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Vergrößerungen und Farbanimationen an der Mandelbrotmenge"));
    EXPECT_EQ(window->size(), QSize(1124, 754));

    struct Expect
    {
        const char *name;
        QRect geometry;
    };
    const Expect places[] = {
            {"Paintbox", {16, 40, 329, 321}},    {"Zeichnen", {88, 376, 185, 25}},
            {"Edit1", {40, 440, 129, 22}},       {"Edit2", {40, 472, 129, 22}},
            {"tabelle", {184, 416, 162, 148}},   {"Label5", {16, 576, 319, 56}},
            {"RadioGroup1", {16, 648, 329, 49}}, {"Button1", {206, 704, 139, 25}},
            {"Panel3", {0, 0, 361, 754}},
    };
    for (const auto &e : places) {
        auto *w = window->findChild<QWidget *>(QLatin1String(e.name));
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_EQ(w->geometry(), e.geometry) << e.name;
    }
    for (const char *name : {"Panel1", "Panel2", "MaPanel", "Label1", "Label2", "Label3", "Label4",
                             "mandelimage", "mandel1", "mandel6"})
        EXPECT_NE(window->findChild<QWidget *>(QLatin1String(name)), nullptr) << name;
    EXPECT_NE(window->findChild<QTimer *>(QStringLiteral("Timer1")), nullptr);
    EXPECT_EQ(window->Label1->pos(), QPoint(120, 16));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("Mandelbrotmenge"));
    EXPECT_EQ(window->Label3->text(), QStringLiteral("Zielpunkt"));
    EXPECT_EQ(window->Label4->text(), QStringLiteral("x1"));
    EXPECT_EQ(window->Label2->text(), QStringLiteral("y1"));
    EXPECT_EQ(window->Label5->text(),
              QStringLiteral("Koordinaten in Zeilen eintragen, Zielpunkt auf der\n"
                             "Mandelbrotmenge verschieben oder auf den \n"
                             "Einzelbildern anklicken.\n"
                             "Achtung! Die Berechnung kann sehr lange dauern!"));
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Farbanimation"));
    EXPECT_EQ(window->RadioGroup1->title(), QStringLiteral("Farbgebung"));
    const char *items[] = {"Vertigo", "Spezial", "Neon", "RGB"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(window->RadioGroup1->item(i)->text(), QLatin1String(items[i]));
    EXPECT_EQ(window->RadioGroup1->itemIndex(), 0);
    EXPECT_FALSE(window->mandelimage->isVisible());
    EXPECT_EQ(window->Timer1->interval(), 10);
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_TRUE(window->Zeichnen->hasFocus());
}

TEST_F(WindowTest, ActivationSetsTheDefaults)
{
    EXPECT_TRUE(window->idle);
    EXPECT_FALSE(window->dragging);
    EXPECT_EQ(window->dragIndex, 0);
    EXPECT_EQ(window->target.re, -1.41);
    EXPECT_EQ(window->target.im, 0.0);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("-1,41"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("0"));
    EXPECT_EQ(window->tabelle->cell(1, 0), QStringLiteral("Faktor"));
    EXPECT_EQ(window->tabelle->cell(0, 0), QString());
    const char *factors[] = {"10", "100", "1000", "10000", "100000", "1000000"};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(window->tabelle->item(n, 1)->text(), QLatin1String(factors[n - 1]));
        EXPECT_EQ(window->tabelle->item(n, 0)->text(), QStringLiteral("Bild %1").arg(n));
    }
    EXPECT_EQ(window->tabelle->rowCount(), 7);
    EXPECT_EQ(window->tabelle->columnCount(), 2);

    PaletteTable vertigo;
    std::copy(activePalette.begin(), activePalette.end(), vertigo.begin());
    LoadPalette("VERTIGO");
    EXPECT_EQ(vertigo, activePalette);
    EXPECT_EQ(activePalette[3 * 84 + 2], 80);

    // Before any run the thumbnails are white.
    const QImage shot = window->mandel1->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(379, 249), QColor(Qt::white));
}

TEST_F(WindowTest, LayoutPlacesThumbnailsAndSizesStoreAndPictures)
{
    const int lefts[] = {361, 361, 361, 742, 742, 742};
    const int tops[] = {1, 252, 503, 1, 252, 503};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(window->thumbnail(n)->geometry(), QRect(lefts[n - 1], tops[n - 1], 380, 250))
                << n;
    EXPECT_EQ(window->iterations.images(), 7);
    EXPECT_EQ(window->iterations.columns(), 382);
    EXPECT_EQ(window->iterations.rows(), 252);
    for (int i = 1; i <= 6; ++i) {
        ASSERT_TRUE(window->images[i]);
        EXPECT_EQ(window->images[i]->width(), 381);
        EXPECT_EQ(window->images[i]->height(), 251);
        EXPECT_EQ(window->images[i]->row(0)[0], 255);
    }
    EXPECT_EQ(window->cyclePhase, 0);
}

TEST_F(WindowTest, LayoutAfterResizeKeepsStoreValuesAndResetsPhase)
{
    window->iterations[2][10][20] = 77;
    window->iterations[6][381][251] = 99;
    window->cyclePhase = 42;
    window->images[3]->row(5)[7] = 0;

    window->MaPanel->resize(1361, 900); // a = 500, b = 300
    QCoreApplication::processEvents();
    EXPECT_EQ(window->mandel4->geometry(), QRect(861, 1, 499, 299));
    EXPECT_EQ(window->mandel3->geometry(), QRect(361, 601, 499, 299));
    EXPECT_EQ(window->iterations.columns(), 501);
    EXPECT_EQ(window->iterations.rows(), 301);
    EXPECT_EQ(window->iterations[2][10][20], 77);
    EXPECT_EQ(window->iterations[6][381][251], 99);
    EXPECT_EQ(window->iterations[6][500][300], 0);
    EXPECT_EQ(window->cyclePhase, 0);
    EXPECT_EQ(window->images[3]->width(), 500);
    EXPECT_EQ(window->images[3]->row(5)[7], 255);

    window->MaPanel->resize(1124, 754);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->iterations.columns(), 382);
    EXPECT_EQ(window->iterations[2][10][20], 77);
}

TEST_F(WindowTest, MaximiseAndRestoreRelayOut)
{
    window->showMaximized();
    EXPECT_EVENTUALLY(window->width() != 1124 || window->height() != 754);
    const int a = (window->MaPanel->width() - 361) / 2;
    EXPECT_EVENTUALLY_EQ(window->mandel1->width(), a - 1);
    window->showNormal();
    EXPECT_EVENTUALLY_EQ(window->size(), QSize(1124, 754));
    EXPECT_EVENTUALLY_EQ(window->mandel1->width(), 380);
}

TEST_F(WindowTest, ASizeChangeThatIsNoMaximiseKeepsTheLayout)
{
    useCheapFactors();
    window->ZeichnenClick(window->Zeichnen);
    const QImage drawn = window->mandel2->grab().toImage();
    window->iterations[6][381][251] = 99;
    window->cyclePhase = 42;
    const Picture *picture = window->images[3].get();

    for (const QSize size : {QSize(900, 600), QSize(1400, 900)}) {
        window->resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(window->MaPanel->size(), QSize(1124, 754));
        EXPECT_EQ(window->mandel4->geometry(), QRect(742, 1, 380, 250));
        EXPECT_EQ(window->iterations.columns(), 382);
        EXPECT_EQ(window->iterations[6][381][251], 99);
        EXPECT_EQ(window->cyclePhase, 42);
        EXPECT_EQ(window->images[3].get(), picture);
        EXPECT_EQ(window->mandel2->grab().toImage(), drawn);
        EXPECT_EVENTUALLY_EQ(window->size(), QSize(1124, 754));
    }
}

TEST(WindowStart, NoFrameShowsTheControlsBeforeTheDefaults)
{
    Tfmandel window;
    window.show();
    // The controls come with the defaults at the first show (WindowShown);
    // here the first frames after the activation.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.Paintbox->isVisible());
    EXPECT_EQ(window.Edit1->text(), QStringLiteral("-1,41"));
    EXPECT_EQ(window.tabelle->cell(1, 6), QStringLiteral("1000000"));
    EXPECT_EQ(QApplication::focusWidget(), window.Zeichnen);
    // The first frame of the overview has the marker at its start-up place.
    EXPECT_EVENTUALLY_EQ(window.Paintbox->grab().toImage().pixelColor(90, 160), QColor(0, 0, 255));
}

TEST_F(WindowTest, TeardownReleasesStoreAndPictures)
{
    window->FormDestroy();
    EXPECT_EQ(window->iterations.images(), 0);
    EXPECT_EQ(window->iterations.columns(), 0);
    for (int i = 1; i <= 6; ++i)
        EXPECT_FALSE(window->images[i]);
}

TEST_F(WindowTest, ReadRealTakesTheFieldText)
{
    const struct
    {
        const char *typed;
        double value;
    } cases[] = {
            {"-1,41", -1.41}, {" 2,5", 2.5}, {"2,5 ", 25}, {"1e6", 1e6},
            {"abc", 0},       {"-3x", 3},    {"Ä1", 0},    {"1Ä", 1},
    };
    for (const auto &c : cases) {
        window->Edit1->setText(QString::fromUtf8(c.typed));
        EXPECT_EQ(ReadReal(window->Edit1), c.value) << c.typed;
    }
    window->Edit1->setText(QStringLiteral("1E400"));
    EXPECT_THROW(ReadReal(window->Edit1), FloatingPointOverflow);
}

TEST(ErrorReport, AppendsAPointAfterCharactersThatSortAfterIt)
{
    const struct
    {
        const char *message, *shown;
    } cases[] = {
            {"Floating point overflow", "Floating point overflow."},
            {"Resource X not found", "Resource X not found."},
            {"Done.", "Done."},
            {"Why!", "Why!"},
            {"Ends in a blank ", "Ends in a blank "},
            {"Number 5", "Number 5."},
            {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(errorReportText(c.message), c.shown) << c.message;
}

TEST_F(WindowTest, AnOverflowIsReportedAndTheToggleRecovers)
{
    ModalWatcher watcher;
    window->Edit1->setText(QStringLiteral("1E400"));
    QTest::mouseClick(window->Zeichnen, Qt::LeftButton);
    EXPECT_EVENTUALLY_EQ(watcher.seen, 1);
    EXPECT_EQ(watcher.text, QStringLiteral("Floating point overflow."));
    EXPECT_EQ(watcher.title, QStringLiteral("Mandelbrotmenge"));
    EXPECT_EQ(watcher.icon, QMessageBox::Critical);
    EXPECT_TRUE(window->idle);
    EXPECT_EQ(window->Zeichnen->text(), QStringLiteral("Vergrößerungen zeichnen"));
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowTest, GridTabWrapsInsideTheEditableCells)
{
    window->tabelle->setFocus();
    window->tabelle->setCurrentCell(1, 1);
    for (int expected : {2, 3, 4, 5, 6, 1, 2}) {
        QTest::keyClick(window->tabelle, Qt::Key_Tab);
        EXPECT_EQ(window->tabelle->currentRow(), expected);
        EXPECT_EQ(window->tabelle->currentColumn(), 1);
        EXPECT_TRUE(window->tabelle->hasFocus());
    }
    for (int expected : {1, 6, 5}) {
        QTest::keyClick(window->tabelle, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(window->tabelle->currentRow(), expected);
    }
}

TEST_F(WindowTest, TypingIntoACellEditsItInPlace)
{
    window->tabelle->setFocus();
    window->tabelle->setCurrentCell(2, 1);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, window->tabelle);
    QTest::keyClicks(editor, QStringLiteral("5"));
    // The cell follows the editor at once.
    EXPECT_EQ(window->tabelle->cell(1, 2), QStringLiteral("75"));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(window->tabelle->currentRow(), 3);
    EXPECT_EQ(window->tabelle->cell(1, 2), QStringLiteral("75"));
}

TEST_F(WindowTest, EnterPressesTheDrawButtonOrTheFocusedPushButton)
{
    int presses = 0;
    QObject::connect(window->Zeichnen, &QPushButton::clicked, [&] { ++presses; });
    useCheapFactors();
    QWidget *targets[] = {window->Edit1, window->Edit2, window->tabelle,
                          window->RadioGroup1->item(2)};
    int expected = 0;
    for (QWidget *w : targets) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        EXPECT_EQ(presses, ++expected) << w->objectName().toStdString();
        EXPECT_TRUE(window->idle);
    }
    // A push button with the focus takes Enter itself.
    window->Button1->setFocus();
    QTest::keyClick(window->Button1, Qt::Key_Return);
    EXPECT_EQ(presses, expected);
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Button1->text(), QStringLiteral("Anhalten"));
    QTest::keyClick(window->Button1, Qt::Key_Enter);
    EXPECT_FALSE(window->Timer1->isActive());
    // The run drew the set (index 0, black) around the default target.
    const QImage shot = window->mandel1->grab().toImage();
    EXPECT_NE(shot.pixelColor(190, 125), QColor(Qt::white));
}

TEST_F(WindowTest, FormActivateRunsOnceOnly)
{
    window->Edit1->setText(QStringLiteral("0,5"));
    window->activateWindow();
    auto other = std::make_unique<QWidget>();
    other->show();
    other->activateWindow();
    QTest::qWait(50);
    window->activateWindow();
    QTest::qWait(50);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("0,5"));
}

} // namespace

namespace {

// The open editor of the factor grid, or null.
QLineEdit *gridEditor(Tfmandel *window)
{
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    return editor && editor->parentWidget() && window->tabelle->isAncestorOf(editor) ? editor
                                                                                     : nullptr;
}

TEST_F(WindowTest, GridEditorKeepsTheCursorWhereTheUserPutsIt)
{
    window->tabelle->setFocus();
    window->tabelle->setCurrentCell(3, 1);
    QTest::keyClick(window->tabelle, Qt::Key_F2);
    QLineEdit *editor = gridEditor(window.get());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClicks(editor, QStringLiteral("52"));
    EXPECT_EQ(editor->text(), QStringLiteral("521000"));
    EXPECT_EQ(window->tabelle->cell(1, 3), QStringLiteral("521000"));
    EXPECT_EQ(editor->cursorPosition(), 2);
    EXPECT_TRUE(editor->isUndoAvailable());
}

TEST_F(WindowTest, GridKeysOpenAndCloseTheEditor)
{
    struct Case
    {
        const char *what;
        Qt::Key key;
        QString expected;
    };
    const Case cases[] = {
            {"Backspace opens the editor and is applied", Qt::Key_Backspace, QString()},
            {"a typed character opens the editor and is applied", Qt::Key_7, QStringLiteral("7")},
    };
    for (const Case &c : cases) {
        window->tabelle->setFocus();
        window->tabelle->setCurrentCell(2, 1);
        window->tabelle->setCell(1, 2, QStringLiteral("100"));
        QTest::keyClick(window->tabelle, c.key);
        QLineEdit *editor = gridEditor(window.get());
        ASSERT_NE(editor, nullptr) << c.what;
        EXPECT_EQ(window->tabelle->cell(1, 2), c.expected) << c.what;
        // Escape closes the editor and restores what the cell had before.
        QTest::keyClick(editor, Qt::Key_Escape);
        EXPECT_EQ(gridEditor(window.get()), nullptr) << c.what;
        EXPECT_EQ(window->tabelle->cell(1, 2), QStringLiteral("100")) << c.what;
    }
}

TEST_F(WindowTest, FixedCellsNeverBecomeCurrent)
{
    FactorGrid *grid = window->tabelle;
    grid->setFocus();
    const QKeyCombination keys[] = {Qt::Key_Left, Qt::Key_Home, Qt::Key_Up, Qt::Key_PageUp,
                                    QKeyCombination(Qt::ControlModifier, Qt::Key_Home)};
    for (const QKeyCombination key : keys) {
        grid->setCurrentCell(1, 1);
        QTest::keyClick(grid, key.key(), key.keyboardModifiers());
        EXPECT_GE(grid->currentRow(), 1);
        EXPECT_GE(grid->currentColumn(), 1);
    }
    grid->setCurrentCell(4, 1);
    const QRect fixedCell = grid->visualItemRect(grid->item(3, 0)); // "Bild 3"
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, fixedCell.center());
    EXPECT_EQ(grid->currentRow(), 4);
    EXPECT_EQ(grid->currentColumn(), 1);
    QTest::keyClicks(grid, QStringLiteral("9"));
    EXPECT_EQ(grid->cell(0, 3), QStringLiteral("Bild 3"));
    EXPECT_EQ(grid->cell(1, 4), QStringLiteral("9"));
}

} // namespace

namespace {

TEST_F(WindowTest, GridCellsLieInsideTheirLines)
{
    // Columns 80 wide and rows 20 high, each with its grid line to the right
    // and below: 2 x (80 + 1) = 162 wide, 7 x (20 + 1) = 147 high.
    FactorGrid *grid = window->tabelle;
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(grid->visualItemRect(grid->item(r, c)), QRect(81 * c, 21 * r, 80, 20))
                    << r << ',' << c;
    // Down the right end of column 1, where no text reaches: cell colour in
    // every row and a line after each, then nothing more.
    grid->clearSelection();
    const QImage shot = grid->grab().toImage();
    QList<int> lines;
    for (int y = 0; y < 147; ++y) {
        const QColor cell = y < 21 ? QColor(0xF0, 0xF0, 0xF0) : QColor(Qt::white);
        if (shot.pixelColor(158, y) != cell)
            lines.append(y);
    }
    EXPECT_EQ(lines, QList<int>({20, 41, 62, 83, 104, 125, 146}));
    EXPECT_NE(shot.pixelColor(80, 30), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(79, 30), QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(shot.pixelColor(81, 30), QColor(Qt::white));
}

TEST_F(WindowTest, AClickOnTheCurrentCellOpensItsEditorAtOnce)
{
    FactorGrid *grid = window->tabelle;
    grid->setFocus();
    grid->setCurrentCell(2, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(2, 1)).center());
    // Typed at once after the click: every key reaches the editor.
    QLineEdit *editor = gridEditor(window.get());
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("25"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(grid->cell(1, 2), QStringLiteral("25"));
    EXPECT_EQ(grid->currentRow(), 3);
    // A click on a cell that is not current only makes it current.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(5, 1)).center());
    EXPECT_EQ(grid->currentRow(), 5);
    EXPECT_EQ(gridEditor(window.get()), nullptr);
}

// The widget with the keyboard focus after a key on the one that has it.
QWidget *afterKey(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    return QApplication::focusWidget();
}

TEST_F(WindowTest, ThePaletteGroupIsOneTabStopOnTheChosenItem)
{
    RadioGroup *group = window->RadioGroup1;
    ASSERT_EQ(QApplication::focusWidget(), window->Zeichnen);
    EXPECT_EQ(afterKey(Qt::Key_Backtab, Qt::ShiftModifier), window->Button1);
    EXPECT_EQ(afterKey(Qt::Key_Backtab, Qt::ShiftModifier), group->item(0));
    EXPECT_EQ(afterKey(Qt::Key_Backtab, Qt::ShiftModifier), window->Edit2);
    EXPECT_EQ(afterKey(Qt::Key_Tab), group->item(0));
    EXPECT_EQ(afterKey(Qt::Key_Tab), window->Button1);

    // After another choice the group is entered on that one.
    group->setItemIndex(2);
    window->Edit2->setFocus();
    EXPECT_EQ(afterKey(Qt::Key_Tab), group->item(2));
    EXPECT_EQ(afterKey(Qt::Key_Tab), window->Button1);
    EXPECT_EQ(afterKey(Qt::Key_Backtab, Qt::ShiftModifier), group->item(2));
    EXPECT_EQ(afterKey(Qt::Key_Backtab, Qt::ShiftModifier), window->Edit2);
}

TEST_F(WindowTest, ArrowKeysChooseInThePaletteGroupAsAClickDoes)
{
    useCheapFactors();
    RadioGroup *group = window->RadioGroup1;
    group->item(0)->setFocus();
    int choices = 0;
    QObject::connect(group, &RadioGroup::clicked, [&] { ++choices; });
    const struct
    {
        Qt::Key key;
        int chosen;
        const char *palette;
    } steps[] = {
            {Qt::Key_Right, 1, "SPEZIAL"},  {Qt::Key_Down, 2, "NEON"},
            {Qt::Key_Right, 3, "STANDARD"}, {Qt::Key_Right, 0, "VERTIGO"},
            {Qt::Key_Left, 3, "STANDARD"},  {Qt::Key_Up, 2, "NEON"},
    };
    int n = 0;
    for (const auto &s : steps) {
        EXPECT_EQ(afterKey(s.key), group->item(s.chosen)) << "step " << n;
        EXPECT_EQ(group->itemIndex(), s.chosen) << "step " << n;
        EXPECT_EQ(choices, ++n);
        // RadioGroup1Click ran: the palette is loaded and its run has ended.
        const PaletteTable chosen = activePalette;
        LoadPalette(s.palette);
        EXPECT_EQ(chosen, activePalette) << "step " << n;
        EXPECT_TRUE(window->idle);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(bool(group->item(i)->focusPolicy() & Qt::TabFocus), i == s.chosen);
    }
    EXPECT_NE(window->mandel1->grab().toImage().pixelColor(190, 125), QColor(Qt::white));
}

} // namespace
