#pragma once
// The active colour table and the four stored palettes.

#include <array>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>

// 256 entries of red, green, blue.
using PaletteTable = std::array<std::uint8_t, 768>;

// The one colour table of the program. Zero until the window's activation
// loads VERTIGO.
extern PaletteTable activePalette;

// Entry `entry` of `palette` as a pixel of a 24-bit picture: the value blue |
// green << 8 | red << 16; with the top byte set it is the 0xFFRRGGBB of a
// QImage.
inline std::uint32_t pictureColour(const PaletteTable &palette, int entry)
{
    const std::uint8_t *rgb = palette.data() + 3 * entry;
    return std::uint32_t(rgb[2]) | std::uint32_t(rgb[1]) << 8 | std::uint32_t(rgb[0]) << 16;
}

// A picture colour as a 32-bit word whose bytes in memory are blue, green,
// red, 0 on any processor: its first three bytes, stored, are the 24-bit
// picture's pixel. The same value on little-endian processors.
static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);
inline std::uint32_t pictureBytes(std::uint32_t colour)
{
    if constexpr (std::endian::native == std::endian::big)
        return __builtin_bswap32(colour);
    return colour;
}

class ResourceNotFound : public std::runtime_error
{
public:
    explicit ResourceNotFound(const std::string &name)
        : std::runtime_error("Resource " + name + " not found")
    {}
};

// Fills activePalette with 1, then copies at most 768 bytes of the stored
// palette `name` ("VERTIGO", "SPEZIAL", "NEON", "STANDARD") into it.
// Throws ResourceNotFound when there is no such palette. The palettes are
// resources of the Qt program: platform/paletteresource.cpp reads them.
void LoadPalette(const std::string &name);

// The same steps with the stored data given directly (the bytes of a
// resource); used by LoadPalette and by tests of short and long data.
void loadPaletteBytes(const unsigned char *data, std::size_t size);
