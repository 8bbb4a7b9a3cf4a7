#pragma once
// The active colour table and the four stored palettes.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

// 256 entries of red, green, blue.
using PaletteTable = std::array<std::uint8_t, 768>;

// The one colour table of the program. Zero until the window's activation
// loads VERTIGO.
extern PaletteTable activePalette;

class ResourceNotFound : public std::runtime_error
{
public:
    explicit ResourceNotFound(const std::string &name)
        : std::runtime_error("Resource " + name + " not found")
    {}
};

// Fills activePalette with 1, then copies at most 768 bytes of the stored
// palette `name` ("VERTIGO", "SPEZIAL", "NEON", "STANDARD") into it.
// Throws ResourceNotFound when there is no such palette.
void LoadPalette(const std::string &name);

// The same steps with the stored data given directly (the bytes of a
// resource); used by LoadPalette and by tests of short and long data.
void loadPaletteBytes(const unsigned char *data, std::size_t size);
