#pragma once
// A 24-bit picture: width x height pixels, rows addressable, three bytes a
// pixel in the order blue, green, red. New pictures are white.

#include <QImage>
#include <cstdint>

class Picture
{
public:
    Picture(int width, int height);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // The bytes of row y (0 at the top), written in place.
    std::uint8_t *row(int y) { return image_.scanLine(y); }
    const std::uint8_t *row(int y) const { return image_.constScanLine(y); }

    const QImage &image() const { return image_; }

private:
    QImage image_;
};
