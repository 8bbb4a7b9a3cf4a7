// Writes overview.bmp, the stored overview picture of the Mandelbrot set
// shown in the left column of the window.
//
// Usage: gen_overview [output file]   (default: overview.bmp)
//
// The picture is 329 x 321 pixels, 8 bits per pixel with a 256-entry colour
// table, and shows the plane rectangle re -2.5 … 1.5, im 2 … -2: column x and
// row y (from the top) show re = -2.5 + 4(x+1)/329, im = 2 - 4(y+1)/321.
// Points that stay bounded are black; the others are banded by escape count
// in the VERTIGO colours, stretched from VERTIGO's 0 … 252 to 0 … 255.
//
// The file is kept in resources/ and embedded into the program; this tool is
// run by hand, never during a build.

#include <QImage>
#include <QList>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 329;
constexpr int kHeight = 321;
constexpr int kDotsPerMetre = 2835; // 72 dots per inch
constexpr int kIterationLimit = 1000;
constexpr int kUsedEntries = 75; // entries 0 … 74

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "gen_overview: %s\n", what.c_str());
    std::exit(1);
}

using Rgb = std::array<int, 3>;

// VERTIGO entry n (the same table as resources/VERTIGO.pal).
Rgb vertigo(int n)
{
    auto hill = [](int i) {
        return i < 16 ? 16 * (i + 1) - 4 : 256 - 16 * (i - 15);
    };
    auto within = [](int n, int first) {
        return n >= first && n < first + 31;
    };
    if (n >= 244 || (n >= 1 && n <= 19)) {
        const int v = hill(n >= 244 ? n - 244 : n + 11);
        return {v, v, 0};
    }
    if (within(n, 21))
        return {0, hill(n - 21), 0};
    if (within(n, 53))
        return {hill(n - 53), 0, hill(n - 53)};
    if (within(n, 148))
        return {hill(n - 148), 0, 0};
    if (within(n, 180))
        return {0, hill(n - 180), hill(n - 180)};
    if (within(n, 212))
        return {0, 0, hill(n - 212)};
    if (n >= 84 && n <= 100) {
        const int k = n - 84;
        const int rg = k == 0 ? 0 : 16 * k - 4;
        return {rg, rg, 4 * (20 + 43 * k / 16)};
    }
    if (n >= 101 && n <= 115) {
        const int m = n - 100;
        return {256 - 16 * m, 256 - 16 * m, 4 * (63 - 43 * m / 16)};
    }
    if (n >= 116 && n <= 132)
        return {8 * (n - 116), 8 * (n - 116), 8 * (n - 116)};
    if (n >= 133 && n <= 146) {
        static const int fall[14] = {120, 112, 104, 96, 88, 80, 72, 60, 52, 44, 36, 28, 20, 12};
        const int v = fall[n - 133];
        return {v, v, v};
    }
    return {0, 0, 0}; // the separators 0, 20, 52, 147, 179, 211, 243
}

// The colour of a point that escapes after k steps (1 <= k < limit): VERTIGO
// in its cyclic order 1 … 255, 1, …; a black separator takes the colour of
// the entry before it so that black marks the set alone.
Rgb bandColour(int k)
{
    int n = (k - 1) % 255 + 1;
    if (vertigo(n) == Rgb{0, 0, 0})
        n -= 1;
    Rgb c = vertigo(n);
    for (int &v : c)
        v = v * 255 / 252;
    return c;
}

// Escape count of c = re + i·im: the first k with |z_k|² > 4, z_0 = 0,
// z_{k+1} = z_k² + c; kIterationLimit when the point stays bounded.
int escapeCount(long double re, long double im)
{
    long double zr = 0.0L, zi = 0.0L;
    for (int k = 1; k < kIterationLimit; ++k) {
        const long double nr = zr * zr - zi * zi + re;
        zi = 2.0L * zr * zi + im;
        zr = nr;
        if (zr * zr + zi * zi > 4.0L)
            return k;
    }
    return kIterationLimit;
}

Rgb pixelColour(int x, int y)
{
    const long double re = -2.5L + 4.0L * (x + 1) / kWidth;
    const long double im = 2.0L - 4.0L * (y + 1) / kHeight;
    const int k = escapeCount(re, im);
    return k >= kIterationLimit ? Rgb{0, 0, 0} : bandColour(k);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string path = argc > 1 ? argv[1] : "overview.bmp";

    // Colours, top row first. The rows above the real axis are computed and
    // mirrored: row y equals row 319 - y. Row 320 (im = -2) has no partner.
    std::vector<std::vector<Rgb>> rows(kHeight, std::vector<Rgb>(kWidth));
    for (int y = 0; y < kHeight; ++y) {
        if (y >= 160 && y <= 319) {
            rows[y] = rows[319 - y];
            continue;
        }
        for (int x = 0; x < kWidth; ++x)
            rows[y][x] = pixelColour(x, y);
    }

    // Pixels per colour.
    std::map<Rgb, long> count;
    for (const auto &row : rows)
        for (const Rgb &c : row)
            ++count[c];

    // At most 75 colours fit the used part of the table: merge the rarest
    // band colours (a few pixels each, close to the boundary) into the
    // nearest remaining colour until they fit. Black is never merged.
    const Rgb black{0, 0, 0};
    std::map<Rgb, Rgb> mergedInto;
    while (count.size() > static_cast<std::size_t>(kUsedEntries)) {
        auto rarest = count.end();
        for (auto it = count.begin(); it != count.end(); ++it)
            if (it->first != black && (rarest == count.end() || it->second < rarest->second))
                rarest = it;
        auto nearest = count.end();
        long best = 0;
        for (auto it = count.begin(); it != count.end(); ++it) {
            if (it == rarest || it->first == black)
                continue;
            long d = 0;
            for (int i = 0; i < 3; ++i)
                d += long(it->first[i] - rarest->first[i]) * (it->first[i] - rarest->first[i]);
            if (nearest == count.end() || d < best) {
                nearest = it;
                best = d;
            }
        }
        if (nearest == count.end())
            fail("nothing to merge into");
        mergedInto[rarest->first] = nearest->first;
        nearest->second += rarest->second;
        count.erase(rarest);
    }
    auto finalColour = [&](Rgb c) {
        for (auto it = mergedInto.find(c); it != mergedInto.end(); it = mergedInto.find(c))
            c = it->second;
        return c;
    };

    // The colour table: the used colours ordered by how many pixels use them
    // (most first; equal counts by colour), then black up to entry 255.
    std::vector<std::pair<long, Rgb>> order;
    for (const auto &[c, n] : count)
        order.push_back({n, c});
    std::sort(order.begin(), order.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::array<Rgb, 256> table{};
    std::map<Rgb, int> entryOf;
    for (std::size_t i = 0; i < order.size(); ++i) {
        table[i] = order[i].second;
        entryOf[order[i].second] = static_cast<int>(i);
    }

    // Qt's BMP writer gives the stored file's header as it is: 40-byte
    // information header, uncompressed, the whole colour table, the
    // resolution set here, rows bottom-up padded to four bytes.
    QImage image(kWidth, kHeight, QImage::Format_Indexed8);
    image.fill(0); // also the padding at the end of each row, which is written out
    QList<QRgb> colours;
    for (const Rgb &c : table)
        colours.append(qRgb(c[0], c[1], c[2]));
    image.setColorTable(colours);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.scanLine(y)[x] = static_cast<uchar>(entryOf.at(finalColour(rows[y][x])));
    if (!image.save(QString::fromStdString(path), "BMP"))
        fail("cannot write " + path);

    std::printf("%s: %zu colours, %zu merged; entry 0 (%d, %d, %d) %ld pixels\n", path.c_str(),
                order.size(), mergedInto.size(), table[0][0], table[0][1], table[0][2],
                order[0].first);
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i].second == black)
            std::printf("black is entry %zu (%ld pixels)\n", i, order[i].first);
    return 0;
}
