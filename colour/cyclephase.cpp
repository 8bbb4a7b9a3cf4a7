#include "colour/cyclephase.h"

std::int32_t nextCyclePhase(std::int32_t phase)
{
    const auto next = static_cast<std::int32_t>(static_cast<std::uint32_t>(phase) + 1u);
    return next < 0 ? 255 : next;
}

int cycledEntry(int index, std::int32_t phase)
{
    if (index == 0)
        return 0;
    const std::int64_t sum = static_cast<std::int64_t>(index) + phase;
    std::int64_t rest = sum % 255;
    if (rest < 0)
        rest += 255;
    return static_cast<int>(rest) + 1;
}

CycledColours makeCycledColours(const PaletteTable &palette, std::int32_t phase)
{
    CycledColours colours{};
    for (int index = 0; index < 256; ++index)
        colours[index] = pictureColour(palette, cycledEntry(index, phase));
    return colours;
}
