// The names and descriptions a screen reader announces for the window's
// controls, in the language of the rest of the window.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/tfmandel.h"
#include "platform/accessibility.h"
#include "platform/accessibleannouncer.h"
#include "platform/factorgrid.h"
#include "platform/radiogroup.h"
#include "platform/surface.h"

void Tfmandel::describeControls()
{
    installAccessibility();
    // The fields are named by their labels.
    Label4->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Edit1->setAccessibleDescription(QStringLiteral("Realteil des Zielpunkts"));
    Edit2->setAccessibleDescription(QStringLiteral("Imaginärteil des Zielpunkts"));
    tabelle->setAccessibleName(QStringLiteral("Faktoren"));
    tabelle->setAccessibleDescription(
            QStringLiteral("Vergrößerungsfaktor je Bild. Tab und Umschalt+Tab wechseln die Zelle, "
                           "Strg+Tab und Strg+Umschalt+Tab verlassen die Tabelle."));
    // Qt cannot tell a reader a radio button's place in its group.
    for (int i = 0; i < 4; ++i)
        RadioGroup1->item(i)->setAccessibleDescription(QStringLiteral("%1 von 4").arg(i + 1));
    Paintbox->setAccessibleName(QStringLiteral("Übersicht"));
    for (int n = 1; n <= 6; ++n)
        thumbnail(n)->setAccessibleName(QStringLiteral("Bild %1").arg(n));

    connect(Edit1, &QLineEdit::textChanged, this, &Tfmandel::describePictures);
    connect(Edit2, &QLineEdit::textChanged, this, &Tfmandel::describePictures);
    connect(tabelle, &QTableWidget::itemChanged, this, &Tfmandel::describePictures);
    describePictures();
}

void Tfmandel::describePictures()
{
    Paintbox->setAccessibleDescription(
            QStringLiteral("Zielpunkt x1 = %1, y1 = %2. Die Markierung wird mit der Maus gezogen; "
                           "über die Tastatur wird der Zielpunkt in x1 und y1 eingetragen.")
                    .arg(Edit1->text(), Edit2->text()));
    for (int n = 1; n <= 6; ++n) {
        const QString description = QStringLiteral(
                "Faktor %1: Vergrößerung um den Zielpunkt. Ein Klick macht den Punkt zum neuen "
                "Zielpunkt und zeichnet neu.");
        const QString factor = tabelle->cell(1, n);
        if (thumbnail(n)->accessibleDescription() != description.arg(factor))
            thumbnail(n)->setAccessibleDescription(description.arg(factor));
    }
}

void Tfmandel::announceRunStart()
{
    announce(this, QStringLiteral("Vergrößerungen werden gezeichnet"));
}

void Tfmandel::announceRunEnd(int finished)
{
    if (finished < 6) {
        announce(this, finished == 0 ? QStringLiteral("Abgebrochen vor Bild 1")
                                     : QStringLiteral("Abgebrochen nach Bild %1").arg(finished));
        return;
    }
    // What the six thumbnails show, in the one message a reader keeps.
    QStringList factors;
    for (int n = 1; n <= 6; ++n)
        factors << tabelle->cell(1, n);
    announce(this, QStringLiteral("Sechs Bilder fertig: Faktoren %1 um x1 = %2, y1 = %3")
                           .arg(factors.join(QStringLiteral(", ")), Edit1->text(), Edit2->text()));
}
