// SPDX-License-Identifier: GPL-3.0-or-later
// Button faces: one chrome for every push button, pictures for the few that
// show more than a caption. Up is raised, Down is sunk with its caption lit and
// moved one pixel, Disabled is flat with a faded caption.
#include "tools/artgen/Art.h"
#include "tools/artgen/Theme.h"

using namespace theme;

namespace {

struct Caption {
    const char* stem;
    const char* text;
};

// What each plain button says.
const Caption kCaptions[] = {
    {"ADD", "ADD"},           {"CANCEL", "CANCEL"},    {"DELETE", "DELETE"},
    {"DOWN", "DOWNLOAD"},     {"DOWNP", "DOWNLOAD"},   {"FAST", "FAST"},
    {"HELPB", "HELP"},        {"INIT", "INIT"},        {"MOVDOWN", "MOVE DOWN"},
    {"MOVUP", "MOVE UP"},     {"NEW", "NEW"},          {"OK", "OK"},
    {"OPEN", "OPEN"},         {"PLAYLST", "PLAYLIST"}, {"REFRESH", "REFRESH"},
    {"REMOVE", "REMOVE"},     {"SAVE", "SAVE"},        {"SAVEAS", "SAVE AS"},
    {"SETDEF", "DEFAULTS"},   {"SLOW", "SLOW"},        {"UPLOAD", "UPLOAD"},
    {"MEDIUM", "MEDIUM"},     {"HELP", "?"},
};

Rgb CaptionColour(Face f) {
    switch (f) {
        case Face::Up: return Rgb(236, 233, 242);
        case Face::Down: return kAccent;
        case Face::Disabled: return Rgb(112, 107, 116);
    }
    return kLabel;
}

// The rounded body of a button over the skin's body colour; returns the offset
// of the content (one pixel down and right when pressed).
int Chrome(Canvas& c, Face f, int radius = 3) {
    Rect all{0, 0, c.Width(), c.Height()};
    c.Fill(all, kBody);
    switch (f) {
        case Face::Up:
            c.RoundRect(all, radius, kRim);
            c.RoundGradient(all.Inflate(-1), radius - 1, Rgb(118, 112, 124), Rgb(70, 66, 75));
            c.HLine(radius + 1, c.Width() - radius - 1, 1, Rgb(164, 158, 170));
            return 0;
        case Face::Down:
            c.RoundRect(all, radius, kRim);
            c.RoundGradient(all.Inflate(-1), radius - 1, Rgb(30, 28, 33), Rgb(52, 49, 56));
            c.HLine(radius, c.Width() - radius, 1, Rgb(16, 15, 18));
            c.HLine(radius, c.Width() - radius, c.Height() - 2, Rgb(70, 66, 75));
            return 1;
        case Face::Disabled:
            c.RoundRect(all, radius, Rgb(48, 45, 51));
            c.RoundRect(all.Inflate(-1), radius - 1, Rgb(72, 68, 76));
            return 0;
    }
    return 0;
}

void CaptionText(Canvas& c, const std::string& text, Face f, int shift, int cy) {
    TextStyle s{CaptionColour(f), 1, false, 1};
    int x = (c.Width() - TextWidth(text, s) + 1) / 2 + shift;
    int y = cy - kFontHeight / 2 + shift;
    if (f == Face::Up) {
        TextStyle shadow = s;
        shadow.colour = Rgb(40, 37, 44);
        DrawText(c, x + 1, y + 1, text, shadow);
    } else if (f == Face::Disabled) {
        TextStyle emboss = s;
        emboss.colour = Rgb(88, 84, 92);
        DrawText(c, x + 1, y + 1, text, emboss);
    }
    DrawText(c, x, y, text, s);
}

Canvas PlainButton(const ButtonStem& st, const char* text, Face f) {
    Canvas c(st.width, st.height);
    int shift = Chrome(c, f, st.width < 16 ? 2 : 3);
    CaptionText(c, text, f, shift, st.height / 2);
    return c;
}

Canvas CloseButton(const ButtonStem& st, Face f) {
    Canvas c(st.width, st.height);
    int shift = Chrome(c, f, 2);
    Rgb ink = f == Face::Up ? Rgb(236, 233, 242) : f == Face::Down ? Rgb(255, 90, 90) : Rgb(112, 107, 116);
    int x0 = 4 + shift, y0 = 3 + shift;
    for (int i = 0; i < 5; ++i) {  // a cross two pixels thick
        c.Set(x0 + i, y0 + i, ink);
        c.Set(x0 + i + 1, y0 + i, ink);
        c.Set(x0 + 4 - i, y0 + i, ink);
        c.Set(x0 + 5 - i, y0 + i, ink);
    }
    return c;
}

// The program's name as its logo: large letters with a soft shadow.
Canvas ProgramLogo(const ButtonStem& st, Face f) {
    Canvas c(st.width, st.height, kBody);
    int shift = f == Face::Down ? 1 : 0;
    Rect all{0, 0, st.width, st.height};
    if (f == Face::Down) c.Bevel(all, kShadow, kHighlightSoft);
    TextStyle big{f == Face::Down ? Rgb(0, 210, 105) : kAccent, 2, false, 1};
    int w = TextWidth("QUAVEL", big);
    int x = (st.width - w) / 2 + shift, y = (st.height - TextHeight(big)) / 2 + shift;
    TextStyle shadow = big;
    shadow.colour = kShadow;
    DrawText(c, x + 1, y + 1, "QUAVEL", shadow);
    DrawText(c, x, y, "QUAVEL", big);
    // every other pixel row of the large letters a little lighter: a sheen
    for (int yy = y; yy < y + TextHeight(big); yy += 2)
        for (int xx = x; xx < x + w; ++xx)
            if (c.Get(xx, yy) == big.colour) c.Set(xx, yy, Mix(big.colour, Rgb(255, 255, 255), 0.35));
    return c;
}

// The maker's mark: a bird in flight on a gold badge, beside the name.
Canvas MakerLogo(const ButtonStem& st, Face f) {
    Canvas c(st.width, st.height, kBody);
    int s = f == Face::Down ? 1 : 0;
    if (f == Face::Down) c.Bevel({0, 0, st.width, st.height}, kShadow, kHighlightSoft);
    Rgb gold = f == Face::Down ? Rgb(200, 140, 30) : Rgb(240, 176, 48);
    c.Ellipse({3 + s, 3 + s, 21 + s, 21 + s}, kRim);
    c.Ellipse({4 + s, 4 + s, 20 + s, 20 + s}, gold);
    std::vector<std::pair<double, double>> bird = {{4, 11}, {7.5, 7}, {10.5, 8.5}, {12, 11}, {13.5, 8.5},
                                                   {16.5, 7}, {20, 11}, {16.5, 9.5}, {14, 11}, {12, 15.5},
                                                   {10, 11}, {7.5, 9.5}};
    for (auto& p : bird) { p.first += s; p.second += s; }
    c.Polygon(bird, Rgb(70, 40, 20));
    TextStyle name{f == Face::Down ? kAccent : Rgb(236, 233, 242), 1, true, 1};
    DrawText(c, 24 + s, (st.height - kFontHeight) / 2 + s, "KESTRY", name);
    return c;
}

// Memory selector tile: a picture above a caption; the selected (pressed) tile
// glows green.
Canvas MemoryTile(const ButtonStem& st, Face f, bool card) {
    Canvas c(st.width, st.height);
    int s = Chrome(c, f, 4);
    if (f == Face::Down) c.RoundFrame({1, 1, st.width - 1, st.height - 1}, 3, kAccentDim);
    int cx = st.width / 2 + s;
    if (!card) {  // a memory chip with its pins
        Rect chip{cx - 13, 12 + s, cx + 13, 36 + s};
        for (int x = chip.l + 3; x < chip.r - 2; x += 4) {
            c.Fill({x, chip.t - 3, x + 2, chip.t}, Rgb(200, 200, 206));
            c.Fill({x, chip.b, x + 2, chip.b + 3}, Rgb(200, 200, 206));
        }
        c.RoundRect(chip, 2, Rgb(28, 27, 31));
        c.Frame(chip, Rgb(12, 12, 14));
        c.Ellipse({chip.l + 3, chip.t + 3, chip.l + 7, chip.t + 7}, Rgb(70, 68, 74));
        TextStyle t{Rgb(180, 176, 186), 1, false, 1};
        DrawTextCentred(c, cx, chip.t + 13, "FLASH", t);
    } else {  // a memory card with its gold contact pad and cut corner
        std::vector<std::pair<double, double>> outline = {
            {cx - 12.0, 8.0 + s}, {cx + 7.0, 8.0 + s}, {cx + 13.0, 14.0 + s}, {cx + 13.0, 40.0 + s}, {cx - 12.0, 40.0 + s}};
        c.Polygon(outline, Rgb(20, 20, 24));
        for (auto& p : outline) { p.first += p.first < cx ? 1 : -1; p.second += p.second < 20 ? 1 : -1; }
        c.Polygon(outline, Rgb(56, 58, 66));
        c.Fill({cx - 8, 14 + s, cx + 6, 26 + s}, Rgb(214, 170, 60));
        for (int x = cx - 6; x < cx + 6; x += 3) c.VLine(x, 15 + s, 25 + s, Rgb(150, 110, 30));
        c.Fill({cx - 8, 30 + s, cx + 9, 36 + s}, Rgb(160, 160, 170));
    }
    CaptionText(c, card ? "CARD" : "INTERNAL", f, s, st.height - 11);
    return c;
}

}  // namespace

const std::vector<ButtonStem>& ButtonStems() {
    static const std::vector<ButtonStem> stems = {
        {"ABOUT", 83, 19, false},   {"ADD", 66, 20, true},      {"CANCEL", 60, 20, true},
        {"CLOSE", 13, 12, true},    {"DELETE", 60, 20, true},   {"DOWN", 60, 20, true},
        {"DOWNP", 60, 20, true},    {"EXTFL", 53, 61, false},   {"FAST", 60, 20, true},
        {"HELP", 12, 12, false},    {"HELPB", 60, 20, false},   {"INIT", 60, 20, true},
        {"INTFL", 53, 61, false},   {"KESTRY", 67, 24, false},  {"MOVDOWN", 66, 20, true},
        {"MOVUP", 66, 20, true},    {"NEW", 60, 20, true},      {"OK", 60, 20, true},
        {"OPEN", 60, 20, true},     {"PLAYLST", 106, 20, true}, {"REFRESH", 60, 20, true},
        {"REMOVE", 60, 20, true},   {"SAVE", 60, 20, true},     {"SAVEAS", 60, 20, true},
        {"SETDEF", 67, 22, false},  {"SLOW", 60, 20, true},     {"UPLOAD", 60, 20, true},
        {"MEDIUM", 60, 20, true},
    };
    return stems;
}

Canvas DrawButtonFace(const ButtonStem& st, Face f) {
    std::string stem = st.stem;
    if (stem == "ABOUT") return ProgramLogo(st, f);
    if (stem == "KESTRY") return MakerLogo(st, f);
    if (stem == "INTFL") return MemoryTile(st, f, false);
    if (stem == "EXTFL") return MemoryTile(st, f, true);
    if (stem == "CLOSE") return CloseButton(st, f);
    for (const Caption& cap : kCaptions)
        if (stem == cap.stem) return PlainButton(st, cap.text, f);
    return PlainButton(st, st.stem, f);
}
