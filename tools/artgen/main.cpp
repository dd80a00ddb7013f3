// SPDX-License-Identifier: GPL-3.0-or-later
// quavel_artgen OUTPUT_DIR: draws every bitmap, the icon and the region data of
// the program and writes them, with the resource lines that name them, into OUTPUT_DIR.
#include "tools/artgen/Art.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    std::vector<ArtFile> files = BuildAllArt();
    for (const ArtFile& f : files) {
        std::string path = std::string(argv[1]) + "/" + f.name;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(f.bytes.data()), std::streamsize(f.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    std::printf("%zu files written to %s\n", files.size(), argv[1]);
    return 0;
}
