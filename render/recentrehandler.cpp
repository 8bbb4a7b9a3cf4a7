// A press on a thumbnail: its point becomes the new target, and the series
// is drawn again.

#include <QLineEdit>
#include <QString>

#include "app/tfmandel.h"
#include "numtext/numtext.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/recentre.h"

void Tfmandel::superMousedown(QObject *sender, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y)
{
    int n = 1;
    for (int k = 1; k <= 6; ++k)
        if (sender == static_cast<QObject *>(thumbnail(k)))
            n = k;
    // The factor is read before anything changes: an overflow leaves all as it was.
    const double factor = ParseReal(NormalizeReal(tabelle->cell(1, n).toStdString()));
    const ComplexPoint p = RecentrePoint(target, factor, mandel1->width(), mandel1->height(), X, Y);
    Edit1->setText(QString::fromStdString(FormatReal(1, 12, p.re)));
    Edit2->setText(QString::fromStdString(FormatReal(1, 12, p.im)));
    ZeichnenClick(sender);
}
