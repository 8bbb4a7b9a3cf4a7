#include "platform/picture.h"

#include <algorithm>

Picture::Picture(int width, int height)
    : image_(std::max(width, 1), std::max(height, 1), QImage::Format_BGR888)
{
    image_.fill(Qt::white);
}
