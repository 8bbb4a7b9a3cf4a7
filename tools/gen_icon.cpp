// Writes the program's icon: the whole Mandelbrot set in black on the bands
// of its escape counts, coloured from the stored VERTIGO palette, on a square
// with rounded corners.
//
// Usage: gen_icon VERTIGO.pal OUTPUT_DIRECTORY
//
// Writes de.mandelbrotmenge.Mandelbrotmenge.svg, a vector drawing: one filled
// path per band, traced as a level curve of the smooth escape count, and
// de.mandelbrotmenge.Mandelbrotmenge-N.png for N = 16, 32, 48, 64, 128, 256,
// each that drawing rendered by QSvgRenderer. The files are kept in
// resources/icons/, embedded into the program and installed with it; this
// tool is run by hand, never during a build.

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QSvgRenderer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kIconName = QStringLiteral("de.mandelbrotmenge.Mandelbrotmenge");
constexpr double kViewSize = 256.0; // the SVG's user units per side
constexpr int kGrid = 256;          // sample cells per side for the level curves
constexpr int kIterationLimit = 1000;
constexpr double kBailout = 1e10; // large, so that the smooth count is smooth
// The plane square shown: the whole set, centred a little left of -0.5.
constexpr double kCentreRe = -0.65;
constexpr double kCentreIm = 0.0;
constexpr double kSide = 2.9;
constexpr double kCornerRadius = 0.125 * kViewSize;
// Bands of their own up to this smooth count, then one band up to the level
// curve that stands for the set, in black: near the cusp of the cardioid the
// count grows slowly, and a lower curve would fill the cusp in.
constexpr int kLastBand = 16;
constexpr int kSetLevel = 250;
constexpr int kBandStep = 16;       // palette entries per band
constexpr double kTolerance = 0.15; // greatest distance of a curve from its samples, user units

using Rgb = std::array<int, 3>;
using Palette = std::array<Rgb, 256>;

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "gen_icon: %s\n", qPrintable(what));
    std::exit(1);
}

Palette readPalette(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        fail("cannot open " + path);
    const QByteArray bytes = f.readAll();
    if (bytes.size() != 768)
        fail(path + " is not 768 bytes long");
    Palette p;
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c)
            p[i][c] = static_cast<unsigned char>(bytes[3 * i + c]);
    return p;
}

// The smooth escape count of c: near the set's level curves |z_n| = 2 it is
// close to n, and it grows continuously between them. Points that stay
// bounded, and those beyond the set's curve, get kSetLevel + 1.
double smoothCount(double re, double im)
{
    double zr = 0.0, zi = 0.0;
    for (int k = 1; k < kIterationLimit; ++k) {
        const double nr = zr * zr - zi * zi + re;
        zi = 2.0 * zr * zi + im;
        zr = nr;
        const double r2 = zr * zr + zi * zi;
        if (r2 > kBailout * kBailout)
            return std::min(k - std::log2(0.5 * std::log2(r2)), kSetLevel + 1.0);
    }
    return kSetLevel + 1.0;
}

// The palette in its cyclic order 1 … 255, kBandStep entries per band (the
// neighbouring entries differ too little to tell the bands of a small icon
// apart); a black separator entry takes the colour before it, so that black
// marks the set alone.
Rgb bandColour(const Palette &palette, int band)
{
    int n = (band - 1) * kBandStep % 255 + 1;
    if (palette[n] == Rgb{0, 0, 0})
        n -= 1;
    return palette[n];
}

// The smooth count at the grid's vertices, in user units; the outermost ring
// is forced below every level, so that every level curve closes.
struct Field
{
    int n = kGrid + 3; // vertices per side: the grid and a ring around it
    std::vector<double> value;
    double at(int i, int j) const { return value[j * n + i]; }
    QPointF point(int i, int j) const
    {
        return {(i - 1) * kViewSize / kGrid, (j - 1) * kViewSize / kGrid};
    }
};

Field sampleField()
{
    Field f;
    f.value.resize(f.n * f.n);
    for (int j = 0; j < f.n; ++j) {
        for (int i = 0; i < f.n; ++i) {
            const bool ring = i == 0 || j == 0 || i == f.n - 1 || j == f.n - 1;
            const QPointF p = f.point(i, j);
            f.value[j * f.n + i] = ring ? -1.0
                                        : smoothCount(kCentreRe + (p.x() / kViewSize - 0.5) * kSide,
                                                      kCentreIm - (p.y() / kViewSize - 0.5) * kSide);
        }
    }
    return f;
}

// The closed curves where the field crosses level (marching squares, with the
// crossing on each cell side interpolated linearly). A cell with two opposite
// corners inside is split by its centre value.
std::vector<QPolygonF> levelCurves(const Field &f, double level)
{
    // A crossing is named by its cell side: 2 × vertex index, + 1 for the
    // side going down from the vertex.
    auto hSide = [&](int i, int j) {
        return 2 * (j * f.n + i);
    };
    auto vSide = [&](int i, int j) {
        return 2 * (j * f.n + i) + 1;
    };
    auto crossing = [&](int side) {
        const int v = side / 2;
        const int i = v % f.n, j = v / f.n;
        const int i2 = side % 2 ? i : i + 1, j2 = side % 2 ? j + 1 : j;
        const double a = f.at(i, j), b = f.at(i2, j2);
        const double t = (level - a) / (b - a);
        return f.point(i, j) + t * (f.point(i2, j2) - f.point(i, j));
    };

    std::map<int, std::vector<int>> ends; // side -> the sides joined to it
    auto join = [&](int a, int b) {
        ends[a].push_back(b);
        ends[b].push_back(a);
    };
    for (int j = 0; j + 1 < f.n; ++j) {
        for (int i = 0; i + 1 < f.n; ++i) {
            const bool c0 = f.at(i, j) >= level, c1 = f.at(i + 1, j) >= level;
            const bool c2 = f.at(i + 1, j + 1) >= level, c3 = f.at(i, j + 1) >= level;
            const int top = hSide(i, j), right = vSide(i + 1, j);
            const int bottom = hSide(i, j + 1), left = vSide(i, j);
            std::vector<int> cut; // the crossed sides, clockwise from the top
            if (c0 != c1)
                cut.push_back(top);
            if (c1 != c2)
                cut.push_back(right);
            if (c2 != c3)
                cut.push_back(bottom);
            if (c3 != c0)
                cut.push_back(left);
            if (cut.size() == 2) {
                join(cut[0], cut[1]);
            } else if (cut.size() == 4) {
                const double centre = (f.at(i, j) + f.at(i + 1, j) + f.at(i + 1, j + 1)
                                       + f.at(i, j + 1))
                                      / 4;
                // Inside corners joined through the centre, or kept apart.
                if ((centre >= level) == c0) {
                    join(top, right);
                    join(bottom, left);
                } else {
                    join(left, top);
                    join(right, bottom);
                }
            }
        }
    }

    std::vector<QPolygonF> curves;
    while (!ends.empty()) {
        const int start = ends.begin()->first;
        QPolygonF curve;
        int previous = -1, side = start;
        do {
            curve << crossing(side);
            std::vector<int> &next = ends[side];
            const int to = next[0] != previous ? next[0] : next[1];
            next.erase(std::find(next.begin(), next.end(), to));
            if (next.empty())
                ends.erase(side);
            std::vector<int> &back = ends[to];
            back.erase(std::find(back.begin(), back.end(), side));
            previous = side;
            side = to;
        } while (side != start);
        if (ends.count(start) && ends[start].empty())
            ends.erase(start);
        curves.push_back(curve);
    }
    return curves;
}

// Ramer–Douglas–Peucker on the points first … last of a curve.
void simplify(const QPolygonF &in, int first, int last, QPolygonF &out)
{
    const QPointF a = in[first], b = in[last];
    const QPointF d = b - a;
    const double length = std::hypot(d.x(), d.y());
    double worst = 0;
    int at = -1;
    for (int k = first + 1; k < last; ++k) {
        const QPointF p = in[k] - a;
        const double dist = length > 0 ? std::abs(d.x() * p.y() - d.y() * p.x()) / length
                                       : std::hypot(p.x(), p.y());
        if (dist > worst) {
            worst = dist;
            at = k;
        }
    }
    if (worst > kTolerance) {
        simplify(in, first, at, out);
        simplify(in, at, last, out);
    } else {
        out << b;
    }
}

QPolygonF simplified(const QPolygonF &curve)
{
    // Split the closed curve at its point farthest from the first one.
    int far = 0;
    for (int k = 1; k < curve.size(); ++k)
        if (QLineF(curve[0], curve[k]).length() > QLineF(curve[0], curve[far]).length())
            far = k;
    QPolygonF closed = curve;
    closed << curve[0];
    QPolygonF out;
    out << closed[0];
    simplify(closed, 0, far, out);
    simplify(closed, far, closed.size() - 1, out);
    out.removeLast(); // the first point again
    return out;
}

QString number(double v)
{
    QString s = QString::number(v, 'f', 1);
    while (s.endsWith('0'))
        s.chop(1);
    if (s.endsWith('.'))
        s.chop(1);
    return s == "-0" ? "0" : s;
}

// SVG path data for a path of straight lines (what Qt's clipping returns).
QString pathData(const QPainterPath &path)
{
    QString d;
    for (int k = 0; k < path.elementCount(); ++k) {
        const QPainterPath::Element e = path.elementAt(k);
        if (e.type != QPainterPath::MoveToElement && e.type != QPainterPath::LineToElement)
            fail("unexpected curve in a clipped band");
        const bool closing = e.isLineTo() && k + 1 < path.elementCount()
                             && path.elementAt(k + 1).isMoveTo();
        const bool last = k + 1 == path.elementCount();
        if (e.isLineTo() && (closing || last))
            continue; // the closing line back to the start: "Z"
        // After the first line of a curve the next points follow without "L".
        const bool firstLine = e.isLineTo() && path.elementAt(k - 1).isMoveTo();
        d += (e.isMoveTo() ? (d.isEmpty() ? "M" : "ZM")
              : firstLine  ? "L"
                           : " ")
             + number(e.x) + " " + number(e.y);
    }
    return d + "Z";
}

QString colourText(const Rgb &c)
{
    return QString::asprintf("#%02x%02x%02x", c[0], c[1], c[2]);
}

QString makeSvg(const Palette &palette)
{
    const Field field = sampleField();
    QPainterPath shape;
    shape.addRoundedRect(0, 0, kViewSize, kViewSize, kCornerRadius, kCornerRadius);

    // The lowest band present fills the rounded square.
    double lowest = kLastBand;
    for (int j = 1; j + 1 < field.n; ++j)
        for (int i = 1; i + 1 < field.n; ++i)
            lowest = std::min(lowest, field.at(i, j));
    const int firstBand = std::max(1, static_cast<int>(std::floor(lowest)));

    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" "
                                 "height=\"256\" viewBox=\"0 0 256 256\">\n"
                                 "<title>Mandelbrotmenge</title>\n");
    svg += QString("<rect width=\"%1\" height=\"%1\" rx=\"%2\" fill=\"%3\"/>\n")
                   .arg(number(kViewSize), number(kCornerRadius),
                        colourText(bandColour(palette, firstBand + 1)));
    // Each band over the one before it: the points whose smooth count is at
    // least the band's number, cut to the rounded square.
    std::vector<int> levels;
    for (int band = firstBand + 1; band <= kLastBand + 1; ++band)
        levels.push_back(band);
    levels.push_back(kSetLevel);
    for (int level : levels) {
        QPainterPath region;
        region.setFillRule(Qt::OddEvenFill);
        for (const QPolygonF &curve : levelCurves(field, level)) {
            const QPolygonF line = simplified(curve);
            if (line.size() >= 3)
                region.addPolygon(line);
        }
        region = region.intersected(shape).simplified();
        if (region.isEmpty())
            continue;
        // The smooth count lies between n - 1 and n where n steps escape.
        const Rgb colour = level == kSetLevel ? Rgb{0, 0, 0} : bandColour(palette, level + 1);
        svg += QString("<path fill=\"%1\" d=\"%2\"/>\n").arg(colourText(colour), pathData(region));
    }
    return svg + "</svg>\n";
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        fail("cannot write " + path);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3)
        fail("usage: gen_icon VERTIGO.pal OUTPUT_DIRECTORY");
    const Palette palette = readPalette(QString::fromLocal8Bit(argv[1]));
    const QString dir = QString::fromLocal8Bit(argv[2]);

    const QByteArray svg = makeSvg(palette).toUtf8();
    writeFile(dir + "/" + kIconName + ".svg", svg);

    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        fail("QSvgRenderer cannot read the drawing");
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString path = dir + "/" + kIconName + "-" + QString::number(size) + ".png";
        if (!image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG", 0))
            fail("cannot write " + path);
    }
    return 0;
}
