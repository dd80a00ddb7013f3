// SPDX-License-Identifier: GPL-3.0-or-later
// The pictures beside the buttons: the player, the PC, the cable lamps, the
// connect picture, the two image strips and the program icon.
#include "tools/artgen/Art.h"
#include "tools/artgen/Theme.h"

#include <algorithm>
#include <stdexcept>

using namespace theme;

namespace {

using Rows = std::vector<std::string>;
using Legend = std::vector<std::pair<char, Rgb>>;

// Letters of the 16-colour pictures; a blank is the transparent background.
const Legend& Standard16Legend() {
    static const Legend legend = {
        {'k', {0, 0, 0}},     {'r', {128, 0, 0}},     {'g', {0, 128, 0}},     {'y', {128, 128, 0}},
        {'b', {0, 0, 128}},   {'p', {128, 0, 128}},   {'t', {0, 128, 128}},   {'s', {192, 192, 192}},
        {'d', {128, 128, 128}}, {'R', {255, 0, 0}},   {'G', {0, 255, 0}},     {'Y', {255, 255, 0}},
        {'B', {0, 0, 255}},   {'C', {0, 255, 255}},   {'w', {255, 255, 255}}};
    return legend;
}

void Icon16(Canvas& c, int x, int y, const Rows& rows) {
    if (rows.size() != 16)
        throw std::logic_error("a 16-colour picture needs 16 rows");
    for (const auto& row : rows)
        if (row.size() != 16) throw std::logic_error("a 16-colour picture row needs 16 pixels");
    c.Sprite(x, y, rows, Standard16Legend());
}

// The player: a rounded shell, a green display and a round dial.
void PlayerDevice(Canvas& c, const Rect& r) {
    int w = r.Width(), h = r.Height();
    int rad = std::max(2, w / 5);
    c.RoundRect(r, rad, kRim);
    c.RoundGradient(r.Inflate(-1), rad - 1, Rgb(176, 170, 190), Rgb(92, 88, 104));
    Rect screen{r.l + w * 18 / 100, r.t + h * 12 / 100, r.r - w * 18 / 100, r.t + h * 40 / 100};
    c.Fill(screen.Inflate(1), kRim);
    c.VGradient(screen, Rgb(150, 214, 120), Rgb(96, 168, 84));
    // two lines of "text" on the display
    int lineW = screen.Width() * 2 / 3;
    for (int i = 1; i <= 2 && screen.Height() >= 6; ++i)
        c.HLine(screen.l + 2, screen.l + 2 + lineW - (i - 1) * lineW / 3, screen.t + i * screen.Height() / 3,
                Rgb(40, 84, 40));
    int d = w * 56 / 100, cx = r.l + w / 2, cy = r.t + h * 70 / 100;
    c.Ellipse({cx - d / 2, cy - d / 2, cx + d / 2 + d % 2, cy + d / 2 + d % 2}, kRim);
    c.Ellipse({cx - d / 2 + 1, cy - d / 2 + 1, cx + d / 2 + d % 2 - 1, cy + d / 2 + d % 2 - 1}, Rgb(64, 60, 72));
    int e = std::max(2, d / 3);
    c.Ellipse({cx - e / 2, cy - e / 2, cx + e / 2 + e % 2, cy + e / 2 + e % 2}, Rgb(140, 136, 152));
    if (d >= 12) {  // the accent ring of the dial
        c.Set(cx, cy - d / 2 + 2, kAccent);
        c.Set(cx, cy + d / 2 + d % 2 - 3, kAccent);
        c.Set(cx - d / 2 + 2, cy, kAccent);
        c.Set(cx + d / 2 + d % 2 - 3, cy, kAccent);
    }
}

// A monitor on its stand.
void Monitor(Canvas& c, const Rect& r) {
    int w = r.Width(), h = r.Height();
    Rect casing{r.l, r.t, r.r, r.t + h * 72 / 100};
    c.RoundRect(casing, 2, kRim);
    c.RoundGradient(casing.Inflate(-1), 1, Rgb(206, 202, 214), Rgb(150, 146, 160));
    Rect screen{casing.l + 3, casing.t + 3, casing.r - 3, casing.b - 4};
    c.Fill(screen.Inflate(1), Rgb(60, 58, 66));
    c.VGradient(screen, Rgb(30, 70, 150), Rgb(16, 36, 90));
    c.Fill({screen.l + 2, screen.t + 2, screen.l + screen.Width() / 2, screen.t + 4}, Rgb(210, 220, 240));
    c.Fill({screen.l + 2, screen.t + 6, screen.r - 3, screen.t + 7}, Rgb(120, 150, 210));
    if (screen.Height() > 10) c.Fill({screen.l + 2, screen.t + 9, screen.r - 6, screen.t + 10}, Rgb(120, 150, 210));
    c.Set(casing.r - 4, casing.b - 2, kAccent);  // power light
    int cx = r.l + w / 2;
    c.Fill({cx - w / 8, casing.b, cx + w / 8, casing.b + h * 10 / 100}, Rgb(120, 116, 130));
    c.RoundRect({cx - w * 3 / 10, casing.b + h * 10 / 100, cx + w * 3 / 10, r.b}, 1, Rgb(170, 166, 180));
    c.HLine(cx - w * 3 / 10, cx + w * 3 / 10, r.b - 1, Rgb(90, 86, 100));
}

// Three rows of a round grey cable.
void Cable(Canvas& c, int x0, int x1, int y) {
    c.HLine(x0, x1, y, Rgb(156, 152, 166));
    c.HLine(x0, x1, y + 1, Rgb(112, 108, 122));
    c.HLine(x0, x1, y + 2, Rgb(66, 63, 74));
}

// Half of a printer-port connector, facing right (plug) or left (socket).
void ConnectorHalf(Canvas& c, int x, int yMid, bool plug) {
    Rgb shell = plug ? Rgb(176, 172, 188) : Rgb(140, 136, 152);
    c.Fill({x, yMid - 5, x + 6, yMid + 6}, kRim);
    c.VGradient({x + 1, yMid - 4, x + 5, yMid + 5}, shell, Shade(shell, 0.6));
}

void Dashes(Canvas& c, int x0, int x1, int y, Rgb colour) {
    for (int x = x0; x < x1; x += 6) {
        c.Fill({x, y, std::min(x + 4, x1), y + 3}, colour);
        c.HLine(x, std::min(x + 4, x1), y, Mix(colour, Rgb(255, 255, 255), 0.45));
    }
}

// Chevron with its point at (tipX, y), facing right (dir 1) or left (dir -1).
void Chevron(Canvas& c, int tipX, int y, int dir, Rgb colour) {
    for (int i = 0; i < 5; ++i)
        for (int t = 0; t < 2; ++t) {
            c.Set(tipX - dir * (i + t), y - i, colour);
            c.Set(tipX - dir * (i + t), y + i, colour);
        }
}

}  // namespace

Canvas DrawPlayerPicture() {
    Canvas c(28, 39, kWell);
    Cable(c, 20, 28, 31);
    PlayerDevice(c, {2, 2, 22, 37});
    return c;
}

Canvas DrawPcPicture() {
    Canvas c(31, 34, kWell);
    Cable(c, 0, 10, 27);
    Monitor(c, {2, 2, 30, 31});
    return c;
}

Canvas DrawLamp(int picture) {
    Canvas c(40, 14, kWell);
    const int y = 6;  // top row of the cable, level with the stubs of the player and PC
    switch (picture) {
        case 137:  // plugged in
            Cable(c, 0, 40, y);
            ConnectorHalf(c, 14, y + 1, true);
            ConnectorHalf(c, 20, y + 1, false);
            c.Set(23, y + 1, kAccent);
            break;
        case 138:  // upload: red, towards the PC on the right
            Dashes(c, 1, 28, y, Rgb(255, 48, 48));
            Chevron(c, 32, y + 1, 1, Rgb(255, 48, 48));
            Chevron(c, 38, y + 1, 1, Rgb(255, 48, 48));
            break;
        case 139:  // download: green, towards the player on the left
            Dashes(c, 12, 39, y, Rgb(0, 232, 96));
            Chevron(c, 1, y + 1, -1, Rgb(0, 232, 96));
            Chevron(c, 7, y + 1, -1, Rgb(0, 232, 96));
            break;
        case 140:  // busy both ways (amber)
            Dashes(c, 9, 32, y, Rgb(255, 176, 0));
            Chevron(c, 1, y + 1, -1, Rgb(255, 176, 0));
            Chevron(c, 38, y + 1, 1, Rgb(255, 176, 0));
            break;
        case 141:  // broken: the halves apart and a red spark between them
            Cable(c, 0, 12, y);
            Cable(c, 28, 40, y);
            ConnectorHalf(c, 10, y + 1, true);
            ConnectorHalf(c, 25, y + 1, false);
            c.Line(17, y - 4, 20, y + 1, Rgb(255, 60, 40));
            c.Line(20, y + 1, 18, y + 2, Rgb(255, 60, 40));
            c.Line(18, y + 2, 22, y + 7, Rgb(255, 60, 40));
            break;
        default:
            throw std::invalid_argument("no lamp with that number");
    }
    return c;
}

Canvas DrawConnectPicture() {
    Canvas c(187, 221, kBody);
    c.Bevel({0, 0, 187, 221}, kHighlightSoft, kShadow);
    TextStyle big{kAccent, 2, false, 1};
    DrawTextCentred(c, 93, 17, "QUAVEL", big);
    DrawTextCentred(c, 93, 36, "LOOKING FOR THE PLAYER", Label());
    Well(c, {12, 48, 175, 160}, kWell);
    PlayerDevice(c, {26, 58, 72, 148});
    // cable from the player's foot to a printer-port plug
    Cable(c, 72, 128, 128);
    c.Fill({72, 126, 76, 133}, kRim);
    std::vector<std::pair<double, double>> shell = {{128, 110}, {150, 114}, {150, 146}, {128, 150}};
    c.Polygon(shell, kRim);
    c.Polygon({{129, 112}, {149, 115}, {149, 145}, {129, 148}}, Rgb(170, 166, 182));
    c.Polygon({{150, 117}, {162, 119}, {162, 141}, {150, 143}}, Rgb(120, 116, 132));
    for (int i = 0; i < 6; ++i) {  // pins
        c.Set(155, 121 + 3 * i, Rgb(240, 200, 90));
        c.Set(158, 122 + 3 * i, Rgb(240, 200, 90));
    }
    DrawTextCentred(c, 142, 84, "PRINTER", Label());
    DrawTextCentred(c, 142, 95, "PORT", Label());
    TextStyle text{Rgb(236, 233, 242), 1, false, 1};
    DrawTextCentred(c, 93, 174, "PLEASE CONNECT THE PLAYER", text);
    DrawTextCentred(c, 93, 186, "TO THE PRINTER PORT", text);
    DrawTextCentred(c, 93, 198, "AND SWITCH IT ON.", text);
    return c;
}

Canvas DrawFileListStrip() {
    Canvas c(160, 18, kMagenta);
    const Rows tick = {
        "                ", "             GG ", "            GGg ", " kkkkkkkkkkGGgk ",
        " kwwwwwwwwGGgwk ", " kwwwwwwwGGgwwk ", " kwwwwwwGGgwwwk ", " kwGwwwGGgwwwwk ",
        " kwGGwGGgwwwwwk ", " kwgGGGgwwwwwwk ", " kwwgGgwwwwwwwk ", " kwwwgwwwwwwwwk ",
        " kwwwwwwwwwwwwk ", " kwwwwwwwwwwwwk ", " kkkkkkkkkkkkkk ", "                "};
    const Rows disc = {
        "     kkkkkk     ", "   kkBBBBBBkk   ", "  kBBBBBBBBBBk  ", " kBBwwwwBBwwwBk ",
        " kBBwBwBwBwBwBk ", " kBBwBwBwBwwwBk ", " kbBBBBBBBwBBbk ", " kswwwdkkdwwwsk ",
        " kswwwdkkdwwwsk ", " ksswwwwwwwwwsk ", " kssswwwwwwwssk ", " kssssswwwwsssk ",
        " kdssssssssssdk ", "  kdssssssssdk  ", "   kkddssddkk   ", "     kkkkkk     "};
    const Rows cross = {
        "                ", " RR          RR ", " RRR        RRr ", "  RRR      RRr  ",
        "   RRR    RRr   ", "    RRR  RRr    ", "     RRRRRr     ", "      RRRr      ",
        "      RRRr      ", "     RRRRRr     ", "    RRr  RRr    ", "   RRr    RRr   ",
        "  RRr      RRr  ", " RRr        RRr ", " Rr          Rr ", "                "};
    const Rows vice = {
        "     dddddd     ", "       dd       ", "  kkkkkkkkkkkk  ", "  kwssssssssdk  ",
        "  kkkkkkkkkkkk  ", " kkkkk          ", " kYYYkkkkkkkkkk ", " kYYYYYYYYYYYYk ",
        " kYYYYYYYYYYYYk ", " kYYYYYYYYYYYYk ", " kYYYYYYYYYYYYk ", " kyyyyyyyyyyyyk ",
        " kkkkkkkkkkkkkk ", "  kkkkkkkkkkkk  ", "  kwssssssssdk  ", "  kkkkkkkkkkkk  "};
    const Rows pad = {
        "   d d d d d    ", "  kdkdkdkdkdkk  ", "  kYYYYYYYYYYk  ", "  kYBBBBBBBBYk  ",
        "  kYYYYYYYYYYk  ", "  kYBBBBBBBBYk  ", "  kYYYYYYYYYYk  ", "  kYBBBBBBYYYk  ",
        "  kYYYYYYYYYYk  ", "  kYBBBBBBBBYk  ", "  kYYYYYYYYYYk  ", "  kYBBBBBYYYYk  ",
        "  kYYYYYYYYYYk  ", "  kYYYYYYYYYyk  ", "  kkkkkkkkkkkk  ", "                "};
    const Rows page = {
        "  kkkkkkkkk     ", "  kwwwwwwwkk    ", "  kwwwwwwwksk   ", "  kwwwwwwwkssk  ",
        "  kwwwwwwwkkkkk ", "  kwwwwwwwwwwwk ", "  kwBBwwwwwBBwk ", "  kwBBwwwwwBBwk ",
        "  kwBBwwBwwBBwk ", "  kwBBwBBBwBBwk ", "  kwwBBBwBBBwwk ", "  kwwBBBwBBBwwk ",
        "  kwwwBwwwBwwwk ", "  kwwwwwwwwwwwk ", "  kwwwwwwwwwwwk ", "  kkkkkkkkkkkkk "};
    const Rows pot = {
        "   k    R       ", "  sYs  RRR  k   ", "  YYY  RRR sBs  ", "  YYY  RRR BBB  ",
        "  YYY   r  BBB  ", "  YYY   r  BBB  ", "  yyy   r  bbb  ", " kkkkkkkkkkkkkk ",
        " kCttttttttttbk ", " kCttttttttttbk ", " kCttttttttttbk ", " kCttttttttttbk ",
        " kCttttttttttbk ", " kCttttttttttbk ", " kCttttttttttbk ", " kkkkkkkkkkkkkk "};
    // three balls: red on top, green and blue below
    Rows balls(16, std::string(16, ' '));
    const Rows ball = {"  XXX  ", " XhXXX ", "XhXXXXX", "XXXXXXd", "XXXXXdd", " XXXdd ", "  ddd  "};
    struct { int x, y; char main, dark; } placed[] = {{4, 1, 'R', 'r'}, {0, 8, 'G', 'g'}, {8, 8, 'B', 'b'}};
    for (const auto& p : placed)
        for (int j = 0; j < 7; ++j)
            for (int i = 0; i < 7; ++i) {
                char ch = ball[size_t(j)][size_t(i)];
                if (ch != ' ') balls[size_t(p.y + j)][size_t(p.x + i)] = ch == 'X' ? p.main : ch == 'd' ? p.dark : 'w';
            }
    const Rows* images[] = {&tick, &disc, &cross, &balls, &vice, &pad, &page, &pot, &tick};
    for (int i = 0; i < 9; ++i) Icon16(c, i * 17, 1, *images[i]);
    return c;
}

Canvas DrawDriveStrip() {
    Canvas c(80, 16, kMagenta);
    const Rows disk = {
        "                ", "                ", "                ", "                ",
        " kkkkkkkkkkkkkk ", " kwwwwwwwwwwwwk ", " kwsssssssssssk ", " kwsdddddddsssk ",
        " kwssssssssGGsk ", " kwsssssssssssk ", " kddddddddddddk ", " kkkkkkkkkkkkkk ",
        "                ", "                ", "                ", "                "};
    const Rows floppy = {
        "                ", " kkkkkkkkkkkkkk ", " kbbbssssssbbbk ", " kbbbsbbsssbbbk ",
        " kbbbsbbsssbbbk ", " kbbbssssssbbbk ", " kbbbbbbbbbbbbk ", " kbbwwwwwwwwbbk ",
        " kbbwwwwwwwwbbk ", " kbbwddddddwbbk ", " kbbwwwwwwwwbbk ", " kbbwddddddwbbk ",
        " kbbwwwwwwwwbbk ", " kbbwwwwwwwwbbk ", " kkkkkkkkkkkkkk ", "                "};
    const Rows cd = {
        "     kkkkkk     ", "   kkwwwwsskk   ", "  kswwCCsssssk  ", " ksssCCsssssssk ",
        " kssCCsssssYssk ", " kssCsssssYYssk ", " ksssssddsssssk ", " kssssd  dssssk ",
        " kssssd  dssssk ", " ksssssddsssssk ", " kspssssssssdsk ", " ksppssssssddsk ",
        " kdsssssssssddk ", "  kdssssssssdk  ", "   kkddddddkk   ", "     kkkkkk     "};
    const Rows folder = {
        "                ", "                ", "                ", "  kkkkk         ",
        " kYYYYYk        ", " kYYYYYYkkkkkkk ", " kYwwwwwwwwwwYk ", " kYYYYYYYYYYYYk ",
        " kYYYYYYYYYYYYk ", " kYYYYYYYYYYYYk ", " kYYYYYYYYYYYYk ", " kYYYYYYYYYYYYk ",
        " kYYYYYYYYYYYYk ", " kyyyyyyyyyyyyk ", " kkkkkkkkkkkkkk ", "                "};
    const Rows open = {
        "                ", "                ", "                ", "  kkkkk         ",
        " kYYYYYk        ", " kYYYYYYkkkkk   ", " kYwwwwwwwwwk   ", " kYwkkkkkkkkkkkk",
        " kYkYYYYYYYYYYYk", " kkYYYYYYYYYYYk ", " kkYYYYYYYYYYYk ", " kYYYYYYYYYYYk  ",
        " kyyyyyyyyyyyk  ", " kkkkkkkkkkkkk  ", "                ", "                "};
    const Rows* images[] = {&disk, &floppy, &cd, &folder, &open};
    for (int i = 0; i < 5; ++i) Icon16(c, i * 16, 0, *images[i]);
    return c;
}

std::vector<Canvas> DrawProgramIcons() {
    std::vector<Canvas> icons;
    for (int size : {32, 16}) {
        Canvas c(size, size, kMagenta);
        Rect body = size == 32 ? Rect{6, 1, 26, 31} : Rect{3, 0, 13, 16};
        int rad = std::max(2, body.Width() / 5);
        // The outline is hard-edged (a pixel is in the icon or out of it), so the
        // shell's soft edge is laid over the rim colour, never over the mask colour.
        auto inIcon = [&](int x, int y) {
            double px = x + 0.5, py = y + 0.5;
            double cx = std::clamp(px, double(body.l + rad), double(body.r - rad));
            double cy = std::clamp(py, double(body.t + rad), double(body.b - rad));
            return px >= body.l && px < body.r && py >= body.t && py < body.b &&
                   (px - cx) * (px - cx) + (py - cy) * (py - cy) <= double(rad) * rad;
        };
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (inIcon(x, y)) c.Set(x, y, kRim);
        PlayerDevice(c, body);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (!inIcon(x, y)) c.Set(x, y, kMagenta);
        icons.push_back(c);
    }
    return icons;
}
