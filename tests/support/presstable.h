#pragma once
// Presses on the thumbnails and what they write into the edit fields, from
// the start-up state: the core's re-centring and the window's press handler
// are both checked against it.

#include <string>

struct PressCase
{
    int thumbnail;
    const char *factor; // nullptr: the start-up text of the cell
    int x, y; // the press on the thumbnail
    const char *edit1, *edit2;
};

// With the start-up state: target -1.41 + 0i, thumbnails of 380 x 250.
inline const PressCase kPressTable[] = {
        {1, nullptr, 0, 0, "-1,61", "0,131578947368"},
        {1, nullptr, 190, 125, "-1,41", "0"},
        {1, nullptr, 379, 249, "-1,211052631579", "-0,130526315789"},
        {2, nullptr, 0, 0, "-1,43", "0,013157894737"},
        {1, "0", 0, 0, "-3,41", "1,315789473684"},
        {1, "abc", 0, 0, "-3,41", "1,315789473684"},
        {1, "", 0, 0, "-3,41", "1,315789473684"},
        {1, "0,1", 0, 0, "-21,41", "13,157894736842"},
        {1, "0,09", 0, 0, "-3,41", "1,315789473684"},
        {1, "-10", 0, 0, "-1,21", "-0,131578947368"},
        {6, nullptr, 0, 0, "-1,410002", "0,000001315789"},
        {1, "1E9", 0, 0, "-1,41000002", "0,000000013158"},
        {1, "1e8", 0, 0, "-1,41000002", "0,000000013158"},
        {3, "1000", 190, 125, "-1,41", "0"},
};

inline std::string describe(const PressCase &c)
{
    return "thumbnail " + std::to_string(c.thumbnail) + " factor \""
           + (c.factor ? c.factor : "(start-up)") + "\" at (" + std::to_string(c.x) + ", "
           + std::to_string(c.y) + ")";
}
