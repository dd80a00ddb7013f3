// SPDX-License-Identifier: GPL-3.0-or-later
// Every picture of the program, and the list of files one run writes.
#pragma once

#include "tools/artgen/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

struct ArtFile {
    std::string name;          // file name in res/art
    std::string resourceLine;  // line of the resource script, empty if none
    std::vector<uint8_t> bytes;
};

std::vector<ArtFile> BuildAllArt();

// Skins 133, 183, 240, 254 and 297, black outside the window's shape.
Canvas DrawSkin(int skin);

enum class Face { Up, Down, Disabled };
struct ButtonStem {
    const char* stem;
    int width, height;
    bool hasDisabled;
};
const std::vector<ButtonStem>& ButtonStems();
Canvas DrawButtonFace(const ButtonStem& stem, Face face);

Canvas DrawPlayerPicture();               // 135
Canvas DrawPcPicture();                   // 136
Canvas DrawLamp(int picture);             // 137 to 141
Canvas DrawConnectPicture();              // 262 and connect.bmp
Canvas DrawFileListStrip();               // 129
Canvas DrawDriveStrip();                  // 144
std::vector<Canvas> DrawProgramIcons();   // 32 x 32 and 16 x 16
