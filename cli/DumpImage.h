// SPDX-License-Identifier: GPL-3.0-or-later
// A dump image read offline: the image file of one memory (pages of 512 data
// bytes and 16 spare bytes, as dump writes it and the virtual player keeps
// it), block by block, without a player. Only the data bytes are read: the
// directory in block 0 says where each file lies, as on the player.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class CDumpImage {
public:
    CDumpImage() = default;
    ~CDumpImage();
    CDumpImage(const CDumpImage&) = delete;
    CDumpImage& operator=(const CDumpImage&) = delete;

    // Opens the image and reads its directory block; false with the reason
    // when the file cannot be read or is no image of whole blocks.
    bool Open(const std::string& path, std::string& error);
    int Blocks() const { return m_blocks; }
    const uint8_t* Directory() const { return m_directory.data(); }
    // The 32768 data bytes of block b.
    bool ReadBlock(int b, uint8_t* out);

private:
    std::FILE* m_file = nullptr;
    int m_blocks = 0;
    std::vector<uint8_t> m_directory;
};
