// artsheet <sheet.png> <art folder>...: lays every picture the generators wrote (as listed in each
// folder's files.txt) on one contact sheet, a thumbnail per picture with its name under it, so
// that a person can judge the game's look at a glance.
#include "platform/win32/AtomicFile.h"
#include "tools/art/ArtPaint.h"
#include "tools/art/ArtText.h"
#include "tools/art/ImageFiles.h"
#include "tools/artsheet/PictureReader.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{
constexpr int CELL = 160; // thumbnail box, pixels
constexpr int LABEL = 20; // label strip under each thumbnail
constexpr int COLUMNS = 8;

struct SEntry
{
    std::string strName;
    CArtImage image;
};

/// A thumbnail that keeps the picture's proportions, over a checkerboard that shows transparency.
CArtImage Thumbnail(const CArtImage& picture)
{
    CArtImage cell(CELL - 8, CELL - 8);
    for (int y = 0; y < cell.Height(); ++y)
        for (int x = 0; x < cell.Width(); ++x)
            cell.At(x, y) = ((x / 8 + y / 8) % 2 == 0) ? SArtColor::Hex(0x9A9A9A) : SArtColor::Hex(0x6A6A6A);
    const double dScale = std::min(static_cast<double>(cell.Width()) / picture.Width(),
                                   static_cast<double>(cell.Height()) / picture.Height());
    const int nWidth = std::max(1, static_cast<int>(picture.Width() * dScale));
    const int nHeight = std::max(1, static_cast<int>(picture.Height() * dScale));
    cell.Paste(dScale < 1.0 ? picture.Reduced(nWidth, nHeight) : picture, (cell.Width() - nWidth) / 2,
               (cell.Height() - nHeight) / 2);
    return cell;
}

std::vector<SEntry> ReadFolder(const std::string& strFolder)
{
    std::vector<SEntry> entries;
    std::ifstream list(strFolder + "/files.txt");
    for (std::string strName; std::getline(list, strName);)
        if (auto picture = ReadPicture(strFolder + "/" + strName))
            entries.push_back({strName, Thumbnail(*picture)});
    return entries;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fputs("usage: artsheet <sheet.png> <art folder>...\n", stderr);
        return 2;
    }
    std::vector<SEntry> entries;
    for (int i = 2; i < argc; ++i)
        for (SEntry& entry : ReadFolder(argv[i]))
            entries.push_back(std::move(entry));
    const int nRows = (static_cast<int>(entries.size()) + COLUMNS - 1) / COLUMNS;
    CArtImage sheet(COLUMNS * CELL, std::max(1, nRows) * (CELL + LABEL), SArtColor::Hex(0x202428));
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        const int x = static_cast<int>(i % COLUMNS) * CELL, y = static_cast<int>(i / COLUMNS) * (CELL + LABEL);
        sheet.Paste(entries[i].image, x + 4, y + 4);
        const std::string& strName = entries[i].strName;
        DrawArtText(sheet, strName.substr(strName.find_last_of('/') + 1), x, y + CELL - 4, CELL, LABEL,
                    SArtTextStyle{12, false, SArtColor::Hex(0xE8E4DA), true});
    }
    const std::vector<std::uint8_t> png = EncodeArtPng(sheet, false);
    if (!ReplaceFileContents(argv[1], std::string_view(reinterpret_cast<const char*>(png.data()), png.size())))
    {
        std::fprintf(stderr, "artsheet: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
