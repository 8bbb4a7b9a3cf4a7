#pragma once
// The iteration store: the colour indices of the images, read and written as
// store[image][column][row]. Resizing keeps every value whose indices exist
// before and after; new cells are 0.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class IterationStore
{
public:
    class Plane
    {
    public:
        Plane(std::uint8_t *base, int columns, int rows)
            : base_(base)
            , columns_(columns)
            , rows_(rows)
        {}
        std::span<std::uint8_t> operator[](int column) const
        {
            return {base_ + static_cast<std::size_t>(column) * rows_,
                    static_cast<std::size_t>(rows_)};
        }
        int size() const { return columns_; }
        std::uint8_t *data() const { return base_; }

    private:
        std::uint8_t *base_;
        int columns_;
        int rows_;
    };

    void resize(int images, int columns, int rows);

    Plane operator[](int image)
    {
        return {data_.data() + static_cast<std::size_t>(image) * columns_ * rows_, columns_, rows_};
    }
    Plane operator[](int image) const
    {
        return {const_cast<std::uint8_t *>(data_.data())
                        + static_cast<std::size_t>(image) * columns_ * rows_,
                columns_, rows_};
    }

    int size() const { return images_; }
    int images() const { return images_; }
    int columns() const { return columns_; }
    int rows() const { return rows_; }

private:
    std::vector<std::uint8_t> data_;
    int images_ = 0;
    int columns_ = 0;
    int rows_ = 0;
};
