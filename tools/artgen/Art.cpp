// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/artgen/Art.h"

#include "tools/artgen/ImageFile.h"
#include "tools/artgen/Regions.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
    return s;
}

ArtFile Bitmap(const std::string& name, const std::string& resource, const IndexedImage& img) {
    return {name, resource.empty() ? "" : resource + " BITMAP \"art/" + name + "\"", EncodeBmp(img)};
}

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace

std::vector<ArtFile> BuildAllArt() {
    std::vector<ArtFile> files;
    for (int skin : {133, 183, 240, 254, 297}) {
        std::string id = std::to_string(skin);
        files.push_back(Bitmap("skin" + id + ".bmp", id, Quantize256(DrawSkin(skin))));
    }
    for (const ButtonStem& st : ButtonStems()) {
        std::vector<std::pair<char, Face>> faces = {{'U', Face::Up}, {'D', Face::Down}};
        if (st.hasDisabled) faces.push_back({'X', Face::Disabled});
        for (const auto& [suffix, face] : faces) {
            std::string resource = std::string(st.stem) + suffix;
            files.push_back(Bitmap(Lower(resource) + ".bmp", resource, Quantize256(DrawButtonFace(st, face))));
        }
    }
    files.push_back(Bitmap("player135.bmp", "135", Quantize256(DrawPlayerPicture())));
    files.push_back(Bitmap("pc136.bmp", "136", Quantize256(DrawPcPicture())));
    for (int lamp = 137; lamp <= 141; ++lamp) {
        std::string id = std::to_string(lamp);
        files.push_back(Bitmap("lamp" + id + ".bmp", id, Quantize256(DrawLamp(lamp))));
    }
    IndexedImage connect = Quantize256(DrawConnectPicture());
    files.push_back(Bitmap("connect262.bmp", "262", connect));
    files.push_back(Bitmap("connect.bmp", "", connect));  // read from beside the program
    files.push_back(Bitmap("filelist129.bmp", "129", MapToStandard16(DrawFileListStrip())));
    files.push_back(Bitmap("drives144.bmp", "144", MapToStandard16(DrawDriveStrip())));
    files.push_back({"quavel128.ico", "128 ICON \"art/quavel128.ico\"",
                     EncodeIco(DrawProgramIcons(), Rgb(255, 0, 255))});
    for (const WindowShape& shape : AllShapes()) {
        std::string id = std::to_string(shape.resource);
        files.push_back({"rgn" + id + ".bin", id + " RCDATA \"art/rgn" + id + ".bin\"", EncodeRegionData(shape)});
    }

    // The lines for the resource script, and the files for its build dependencies.
    std::string rc = "// SPDX-License-Identifier: GPL-3.0-or-later\n"
                     "// Written by quavel_artgen: the bitmaps, icon and region data of the skins.\n"
                     "// Paths are relative to res/, the folder of the resource script.\n";
    std::string cmake = "# SPDX-License-Identifier: GPL-3.0-or-later\n"
                        "# Written by quavel_artgen: every file in res/art the resource script uses,\n"
                        "# for OBJECT_DEPENDS of the resource object.\nset(QUAVEL_ART_FILES\n";
    for (const ArtFile& f : files) {
        if (f.resourceLine.empty()) continue;
        rc += f.resourceLine + "\n";
        cmake += "    ${CMAKE_SOURCE_DIR}/res/art/" + f.name + "\n";
    }
    cmake += ")\nset(QUAVEL_CONNECT_BMP ${CMAKE_SOURCE_DIR}/res/art/connect.bmp)\n";
    files.push_back({"art.rc.inc", "", Text(rc)});
    files.push_back({"art_files.cmake", "", Text(cmake)});
    return files;
}
