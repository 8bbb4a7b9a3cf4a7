#include "render/recentre.h"

#include <QLineEdit>
#include <QString>

#include "app/tfmandel.h"
#include "numtext/numtext.h"
#include "platform/factorgrid.h"
#include "platform/surface.h"
#include "render/engine.h"

ComplexPoint RecentrePoint(ComplexPoint target, double factor, int w, int h, std::int32_t X, std::int32_t Y)
{
    const double f = zoom::ClampFactor(factor);
    const double a = static_cast<double>(static_cast<long double>(h) / w);
    const double dx = static_cast<double>(4.0L / w / f);
    const double dy = static_cast<double>(static_cast<long double>(a) * 4.0L / h / f);
    const long double re = static_cast<long double>(target.re) - (static_cast<long double>(w) * dx) / 2 +
                           static_cast<long double>(X) * dx;
    const long double im = (static_cast<long double>(h) * dy) / 2 + static_cast<long double>(target.im) -
                           static_cast<long double>(Y) * dy;
    return {static_cast<double>(re), static_cast<double>(im)};
}

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
