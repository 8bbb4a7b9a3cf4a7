// The stored palettes: read from the program's embedded resources.
#include "colour/palette.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>

namespace {

// A stored palette's name is a plain word; anything else (empty, a path, a
// resource path of its own) names no stored palette. This keeps the lookup
// inside the program's embedded palettes: nothing is ever read from disk.
bool isPaletteName(const std::string &name)
{
    if (name.empty())
        return false;
    return std::all_of(name.begin(), name.end(), [](char ch) {
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9')
               || ch == '_';
    });
}

} // namespace

void LoadPalette(const std::string &name)
{
    activePalette.fill(1);

    if (!isPaletteName(name))
        throw ResourceNotFound(name);
    QFile file(QStringLiteral(":/") + QString::fromStdString(name) + QStringLiteral(".pal"));
    if (!file.open(QIODevice::ReadOnly))
        throw ResourceNotFound(name);
    const QByteArray bytes = file.read(static_cast<qint64>(activePalette.size()));
    file.close();

    loadPaletteBytes(reinterpret_cast<const unsigned char *>(bytes.constData()),
                     static_cast<std::size_t>(bytes.size()));
}
