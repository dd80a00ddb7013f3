// SPDX-License-Identifier: GPL-3.0-or-later
// The five window skins. Each starts from its window shape (black outside it,
// a rim and bevel along its edge) and adds wells behind the lists, grooves and
// headings; wherever a button or a static text sits the skin is plain body colour.
#include "tools/artgen/Art.h"
#include "tools/artgen/Regions.h"
#include "tools/artgen/Theme.h"

#include <stdexcept>

using namespace theme;

namespace {

// Body colour inside the shape, with a dark rim on the outermost pixel, a
// highlight on edges that face up or left and a shadow on those facing down or right.
Canvas SkinBase(const WindowShape& shape, int width, int height, Rgb body) {
    Canvas c(width, height);
    auto out = [&](int x, int y) { return !shape.Contains(x, y); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (out(x, y)) continue;
            bool rim = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) rim = rim || out(x + dx, y + dy);
            Rgb px = body;
            if (rim)
                px = kRim;
            else if (out(x, y + 2) || out(x + 2, y))
                px = kShadow;
            else if (out(x, y - 2) || out(x - 2, y))
                px = Mix(body, kHighlight, 0.9);
            else if (out(x, y + 3) || out(x + 3, y))
                px = Mix(body, kShadow, 0.5);
            else if (out(x, y - 3) || out(x - 3, y))
                px = Mix(body, kHighlight, 0.45);
            c.Set(x, y, px);
        }
    return c;
}

void TitleButtonsPlate(Canvas& c, int helpX, int closeRight, int y) {
    // a faint sunken plate behind the help and close buttons
    c.Bevel({helpX - 3, y - 2, closeRight + 3, y + 14}, kShadowSoft, kHighlightSoft);
}

Canvas MainSkin() {
    Canvas c = SkinBase(ShapeFor(145), 478, 301, kBody);
    TitleButtonsPlate(c, 441, 469, 6);
    DrawText(c, 140, 11, "PLAYER DIRECTORY", Label());
    // display with the player, the cable, the PC and the file counter
    Well(c, {18, 48, 130, 101}, kWell);
    // the pixel of cable between the player's picture and the lamps'
    c.HLine(50, 56, 86, Rgb(156, 152, 166));
    c.HLine(50, 56, 87, Rgb(112, 108, 122));
    c.HLine(50, 56, 88, Rgb(66, 63, 74));
    GrooveH(c, 12, 128, 109);
    GrooveH(c, 12, 128, 189);
    GrooveH(c, 12, 128, 231);
    GrooveV(c, 131, 10, 272);
    // the directory list and, below it, the memory bar and the progress bar
    Well(c, {138, 24, 467, 214}, kWell);
    GrooveH(c, 134, 470, 239);
    return c;
}

Canvas PlaylistSkin() {
    Canvas c = SkinBase(ShapeFor(236), 407, 249, kBody);
    TitleButtonsPlate(c, 370, 398, 8);
    DrawText(c, 22, 16, "PLAYLIST", Heading());
    Well(c, {18, 31, 331, 205}, kWell);
    GrooveH(c, 336, 401, 63);
    GrooveH(c, 336, 401, 166);
    // frame around the free memory figure; its inside stays body colour for the statics
    c.Bevel({333, 169, 403, 207}, kShadow, kHighlightSoft);
    GrooveV(c, 334, 24, 160);
    return c;
}

// Folder with a downward arrow: what the folder dialog is for.
void FolderEmblem(Canvas& c, int x, int y) {
    Rgb back(120, 96, 44), front(168, 136, 62), edge(80, 62, 26);
    c.RoundRect({x, y + 8, x + 64, y + 58}, 3, edge);
    c.RoundRect({x + 1, y + 9, x + 63, y + 57}, 2, back);
    c.RoundRect({x + 1, y + 4, x + 26, y + 14}, 2, back);
    c.Polygon({{x + 1.0, y + 57.0}, {x + 8.0, y + 22.0}, {x + 66.0, y + 22.0}, {x + 63.0, y + 57.0}}, front);
    c.HLine(x + 8, x + 66, y + 22, Mix(front, Rgb(255, 255, 255), 0.4));
    Rgb arrow = kAccentDim;
    c.Fill({x + 28, y - 10, x + 38, y + 22}, arrow);
    c.Polygon({{x + 18.0, y + 20.0}, {x + 48.0, y + 20.0}, {x + 33.0, y + 36.0}}, arrow);
}

Canvas FolderSkin() {
    Canvas c = SkinBase(ShapeFor(272), 278, 265, kBody);
    TitleButtonsPlate(c, 241, 268, 6);
    DrawText(c, 22, 15, "UPLOAD TO FOLDER", Heading());
    Well(c, {21, 36, 189, 249}, Rgb(255, 255, 255));
    GrooveH(c, 198, 266, 97);
    FolderEmblem(c, 200, 130);
    DrawTextCentred(c, 233, 206, "DESTINATION", Label());
    return c;
}

Canvas OptionsSkin() {
    Canvas c = SkinBase(ShapeFor(272), 278, 265, kBody);
    TitleButtonsPlate(c, 241, 268, 6);
    DrawText(c, 22, 15, "TRANSFER SPEED", Heading());
    DrawText(c, 22, 33, "DELAYS OF THE PRINTER PORT", Label());
    c.Bevel({24, 56, 258, 167}, kShadow, kHighlightSoft);
    c.Bevel({25, 57, 257, 166}, kShadowSoft, kBody);
    DrawTextCentred(c, 63, 67, "WAKE-UP", Heading());
    DrawTextCentred(c, 141, 67, "WRITE", Heading());
    DrawTextCentred(c, 219, 67, "READ", Heading());
    DrawText(c, 106, 198, "MEDIUM IS THE DEFAULT", Label());
    GrooveH(c, 14, 262, 220);
    return c;
}

Canvas AboutSkin() {
    Canvas c = SkinBase(ShapeFor(276), 292, 220, kBody);
    // the strip at the right and the base below are a darker stand
    for (int y = 0; y < 220; ++y)
        for (int x = 0; x < 292; ++x) {
            bool stand = (x >= 282 || y >= 212) && c.Get(x, y) != Rgb();
            if (stand) c.Set(x, y, Mix(c.Get(x, y), kShadow, 0.45));
        }
    TextStyle big{kAccent, 2, false, 1};
    DrawText(c, 15, 13, "QUAVEL", big);
    DrawText(c, 100, 20, "MP3 PLAYER MANAGER", Label());
    // light panel on which the version, thanks and links are written
    Rect panel{10, 40, 272, 158};
    c.Bevel(panel.Inflate(2), kShadow, kHighlight);
    c.Bevel(panel.Inflate(1), kRim, Rgb(210, 210, 216));
    c.Fill(panel, kAboutBody);
    TitleButtonsPlate(c, 258, 271, 6);
    return c;
}

}  // namespace

Canvas DrawSkin(int skin) {
    switch (skin) {
        case 133: return MainSkin();
        case 183: return PlaylistSkin();
        case 240: return FolderSkin();
        case 254: return AboutSkin();
        case 297: return OptionsSkin();
    }
    throw std::invalid_argument("no skin with that number");
}
