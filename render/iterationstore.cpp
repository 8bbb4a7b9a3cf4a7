#include "render/iterationstore.h"

#include <algorithm>

void IterationStore::resize(int images, int columns, int rows)
{
    images = std::max(images, 0);
    columns = std::max(columns, 0);
    rows = std::max(rows, 0);
    if (images == images_ && columns == columns_ && rows == rows_)
        return;
    std::vector<std::uint8_t> fresh(static_cast<std::size_t>(images) * columns * rows, 0);
    const int keepImages = std::min(images, images_);
    const int keepColumns = std::min(columns, columns_);
    const int keepRows = std::min(rows, rows_);
    for (int i = 0; i < keepImages; ++i)
        for (int x = 0; x < keepColumns; ++x)
            std::copy_n(data_.begin() + (static_cast<std::size_t>(i) * columns_ + x) * rows_,
                        keepRows,
                        fresh.begin() + (static_cast<std::size_t>(i) * columns + x) * rows);
    data_ = std::move(fresh);
    images_ = images;
    columns_ = columns;
    rows_ = rows;
}
