// The window for keyboard-only users and screen readers: Ctrl+Tab leads out
// of the grid, the start-up state does not wait for an activation, and the
// accessible objects carry names and roles.
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include "app/tfmandel.h"
#include "platform/factorgrid.h"
#include "platform/radiogroup.h"
#include "platform/surface.h"
#include "tests/support/window_fixture.h"

namespace {

TEST_F(WindowTest, CtrlTabLeadsOutOfTheGridFromCellAndEditor)
{
    struct Case
    {
        bool editing;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char *expected;
    };
    const Case cases[] = {
            {false, Qt::Key_Tab, Qt::ControlModifier, "Edit1"},
            {false, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "Zeichnen"},
            {true, Qt::Key_Tab, Qt::ControlModifier, "Edit1"},
            {true, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "Zeichnen"},
    };
    for (const Case &c : cases) {
        window->tabelle->setFocus();
        window->tabelle->setCurrentCell(2, 1);
        QWidget *target = window->tabelle;
        if (c.editing) {
            QTest::keyClicks(window->tabelle, QStringLiteral("7"));
            target = QApplication::focusWidget();
            ASSERT_NE(target, window->tabelle);
        }
        QTest::keyClick(target, c.key, c.modifiers);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QLatin1String(c.expected))
                << c.editing << " " << c.key;
        // An edit is kept when leaving.
        if (c.editing)
            EXPECT_EQ(window->tabelle->cell(1, 2), QStringLiteral("7"));
    }
}

TEST(WindowShown, GetsItsStartUpStateWithoutActivation)
{
    Tfmandel window;
    window.show();
    // No event handled, no activation: the defaults are there already.
    EXPECT_FALSE(window.isActiveWindow());
    EXPECT_EQ(window.Edit1->text(), QStringLiteral("-1,41"));
    EXPECT_EQ(window.tabelle->cell(1, 6), QStringLiteral("1000000"));
    EXPECT_TRUE(window.Panel2->isVisibleTo(&window));
    EXPECT_TRUE(window.Zeichnen->hasFocus() || window.focusWidget() == window.Zeichnen);
    // The activation that follows does not run them again.
    window.Edit1->setText(QStringLiteral("0,5"));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.Edit1->text(), QStringLiteral("0,5"));
}

TEST_F(WindowTest, AccessibleNamesRolesAndTheGridAsATable)
{
    auto iface = [](QObject *o) {
        return QAccessible::queryAccessibleInterface(o);
    };
    EXPECT_EQ(iface(window->Edit1)->text(QAccessible::Name), QStringLiteral("x1"));
    EXPECT_EQ(iface(window->Edit2)->text(QAccessible::Name), QStringLiteral("y1"));
    EXPECT_EQ(iface(window->Paintbox)->role(), QAccessible::Graphic);
    EXPECT_TRUE(iface(window->Paintbox)
                        ->text(QAccessible::Description)
                        .contains(QStringLiteral("x1 = -1,41, y1 = 0")));
    window->Edit1->setText(QStringLiteral("0,25"));
    EXPECT_TRUE(iface(window->Paintbox)
                        ->text(QAccessible::Description)
                        .contains(QStringLiteral("x1 = 0,25, y1 = 0")));
    for (int n = 1; n <= 6; ++n) {
        QAccessibleInterface *t = iface(window->thumbnail(n));
        EXPECT_EQ(t->role(), QAccessible::Graphic);
        EXPECT_EQ(t->text(QAccessible::Name), QStringLiteral("Bild %1").arg(n));
    }
    window->tabelle->setCell(1, 3, QStringLiteral("42"));
    EXPECT_TRUE(iface(window->mandel3)
                        ->text(QAccessible::Description)
                        .startsWith(QStringLiteral("Faktor 42:")));

    // The hidden overview picture is nobody's child.
    QAccessibleInterface *panel = iface(window->Panel3);
    // The window is a frame; its panels only lay out, and say so.
    EXPECT_EQ(iface(window.get())->role(), QAccessible::Window);
    for (QWidget *w : {window->Panel1, window->Panel2, window->Panel3, window->MaPanel})
        EXPECT_EQ(iface(w)->role(), QAccessible::Client) << w->objectName().toStdString();
    for (int i = 0; i < panel->childCount(); ++i)
        EXPECT_NE(panel->child(i)->object(), window->mandelimage);
    EXPECT_EQ(panel->indexOfChild(iface(window->mandelimage)), -1);

    // The palettes: the group is no label of its buttons (a reader says it
    // once, on entering), and each says its place.
    for (int i = 0; i < 4; ++i) {
        QAccessibleInterface *radio = iface(window->RadioGroup1->item(i));
        EXPECT_EQ(radio->role(), QAccessible::RadioButton);
        EXPECT_EQ(radio->text(QAccessible::Name), window->RadioGroup1->item(i)->text());
        EXPECT_EQ(radio->text(QAccessible::Description), QStringLiteral("%1 von 4").arg(i + 1));
        EXPECT_TRUE(radio->relations(QAccessible::Label).isEmpty()) << i;
        EXPECT_EQ(radio->state().checked, i == 0) << i;
    }

    QAccessibleInterface *table = iface(window->tabelle);
    ASSERT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), QStringLiteral("Faktoren"));
    ASSERT_EQ(table->childCount(), 14);
    const QAccessible::Role roles[7][2] = {{QAccessible::ColumnHeader, QAccessible::ColumnHeader},
                                           {QAccessible::RowHeader, QAccessible::Cell},
                                           {QAccessible::RowHeader, QAccessible::Cell},
                                           {QAccessible::RowHeader, QAccessible::Cell},
                                           {QAccessible::RowHeader, QAccessible::Cell},
                                           {QAccessible::RowHeader, QAccessible::Cell},
                                           {QAccessible::RowHeader, QAccessible::Cell}};
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 2; ++c) {
            QAccessibleInterface *cell = table->child(r * 2 + c);
            EXPECT_EQ(cell->role(), roles[r][c]) << r << "," << c;
            EXPECT_EQ(cell->text(QAccessible::Name), window->tabelle->cell(c, r));
            EXPECT_EQ(table->indexOfChild(cell), r * 2 + c);
            // Rows of the six factors: the column headers stand before them.
            EXPECT_EQ(cell->tableCellInterface()->rowIndex(), r - 1);
            EXPECT_EQ(cell->tableCellInterface()->columnIndex(), c);
            EXPECT_EQ(cell->actionInterface(), nullptr);
        }
    EXPECT_EQ(table->tableInterface()->rowCount(), 6);
    EXPECT_EQ(table->tableInterface()->columnCount(), 2);
    QAccessibleInterface *cell = table->tableInterface()->cellAt(3, 1);
    EXPECT_EQ(cell, table->child(4 * 2 + 1));
    QAccessibleInterface *rowHeader = table->tableInterface()->cellAt(3, 0);
    EXPECT_EQ(rowHeader->tableCellInterface()->rowHeaderCells().value(0), rowHeader);
    EXPECT_EQ(cell->tableCellInterface()->rowHeaderCells().value(0)->text(QAccessible::Name),
              QStringLiteral("Bild 4"));
    EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
              QStringLiteral("Faktor"));
}

} // namespace
