// A paste into x1, y1 or a factor cell's editor takes the pasted text up to
// its first line break, wherever it lands in the field's text.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/support/window_fixture.h"

namespace {

struct Paste
{
    const char *name;
    QString before; // the field's text
    int from, to;   // the selection the paste replaces (equal: the cursor)
    QString pasted; // the clipboard's text
    QString after;  // the field's text after the paste
    int cursor;     // and its cursor
};

void PrintTo(const Paste &paste, std::ostream *os)
{
    *os << paste.name;
}

class PasteTest : public WindowTest, public ::testing::WithParamInterface<Paste>
{
protected:
    // Pastes into `field` as the user does, with Ctrl+V.
    void pasteInto(QLineEdit *field)
    {
        const Paste &p = GetParam();
        field->setFocus();
        field->setText(p.before);
        field->setSelection(p.from, p.to - p.from);
        QGuiApplication::clipboard()->setText(p.pasted);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_P(PasteTest, TheFieldsTakeThePasteUpToItsFirstLineBreak)
{
    for (QLineEdit *field : {window->Edit1, window->Edit2}) {
        pasteInto(field);
        EXPECT_EQ(field->text(), GetParam().after) << field->objectName().toStdString();
        EXPECT_EQ(field->cursorPosition(), GetParam().cursor);
    }
}

TEST_P(PasteTest, TheFactorCellsEditorTakesThePasteUpToItsFirstLineBreak)
{
    window->tabelle->setFocus();
    window->tabelle->setCurrentCell(2, 1);
    QTest::keyClick(window->tabelle, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(editor && window->tabelle->isAncestorOf(editor));
    pasteInto(editor);
    EXPECT_EQ(editor->text(), GetParam().after);
    EXPECT_EQ(editor->cursorPosition(), GetParam().cursor);
    EXPECT_EQ(window->tabelle->cell(1, 2), GetParam().after);
}

const QString LF = QStringLiteral("\n");
const QString CR = QStringLiteral("\r");

INSTANTIATE_TEST_SUITE_P(
        Paste, PasteTest,
        ::testing::Values(Paste{"WholeTextLF", "-1,41", 0, 5, "0,25" + LF, "0,25", 4},
                          Paste{"WholeTextCRLF", "-1,41", 0, 5, "0,25" + CR + LF, "0,25", 4},
                          Paste{"IntoTheMiddleCR", "12", 1, 1, "3" + CR + "4", "132", 2},
                          Paste{"SecondLineDropped", "ab", 0, 0, "a" + LF + "x", "aab", 1},
                          Paste{"OnlyALineBreak", "0,5", 3, 3, LF + "7", "0,5", 3},
                          Paste{"NoLineBreak", "1", 1, 1, "2,5", "12,5", 4},
                          Paste{"BadTextStays", "", 0, 0, " x;1" + LF, " x;1", 4}),
        [](const ::testing::TestParamInfo<Paste> &info) { return info.param.name; });

} // namespace
