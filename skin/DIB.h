// SPDX-License-Identifier: GPL-3.0-or-later
// CDIB: a device-independent bitmap held in memory as it appears in a .BMP file:
// an information block (the 40-byte header and a 256-entry colour table) and the
// bottom-up pixel rows. The file half (construction, create, load, save, number of
// colours) is portable; the drawing half exists only in the Windows build.
//
// Loading never trusts the file. What it refuses: a type other than "BM"; an
// information header other than the 40-byte Windows or 12-byte core form; widths
// and heights of 0 or less (top-down images included); planes other than 1; bit
// counts other than 1, 4, 8, 16, 24 and 32; compressed images; a pixel offset
// inside the file header or the information header; a file size field that puts
// fewer bytes after the pixel offset than the rows need; and a file that ends
// before the colour table or the rows do. What it clamps: a colours-used field
// above 256 (the table holds 256 entries; the rest are skipped), and pixel data
// beyond the rows (left unread). The pixel buffer is always exactly the rows, so
// nothing is ever read or written past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

// The information header in the Windows (40-byte) form, in host order.
struct DIBInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};

struct DIBColour {
    uint8_t blue, green, red, reserved;
};

// The information block: always the full 256-entry table, whatever is in use.
struct DIBInfo {
    DIBInfoHeader header;
    DIBColour colours[256];
};

static_assert(sizeof(DIBInfoHeader) == 40, "information header must be 40 bytes");
static_assert(sizeof(DIBInfo) == 1064, "information block must be 1064 bytes");

class CDIB {
public:
    static constexpr const char* kClassName = "CDIB";

    static constexpr uint16_t kFileType = 0x4D42;          // "BM"
    static constexpr uint32_t kFileHeaderSize = 14;
    static constexpr uint32_t kWindowsHeaderSize = 40;
    static constexpr uint32_t kCoreHeaderSize = 12;
    // Upper bound of the pixel rows (and of what is read from a file): far above
    // any picture of the program, far below what could exhaust memory.
    static constexpr size_t kMaxBitsSize = 64u << 20;

    // An 8-bit 16 x 16 grey image.
    CDIB();
    ~CDIB();
    CDIB(const CDIB&) = delete;
    CDIB& operator=(const CDIB&) = delete;

    // A new 8-bit image of width x height: grey-ramp colour table, all pixels 0.
    // Sizes of 0 or less, images above kMaxBitsSize and allocation failures leave
    // the image empty and return false.
    bool Create(int width, int height);

    // Reads a .BMP/.DIB file from the stream's current position. On any failure
    // the previous image stays and the result is false; readError (when given)
    // tells whether the stream itself failed, as opposed to the content.
    bool Load(std::FILE* file, bool* readError = nullptr);
    // The same from bytes in memory (data[0] is the file's start).
    bool LoadFromBytes(const uint8_t* data, size_t size);

    // Writes the image as a .BMP file with the Windows header, a colour table of
    // NumColours() entries and the rows. An empty image writes nothing (false).
    bool Save(std::FILE* file) const;
    std::vector<uint8_t> SaveToBytes() const;

    bool IsEmpty() const { return !m_info; }
    int Width() const { return m_info ? m_info->header.width : 0; }
    int Height() const { return m_info ? m_info->header.height : 0; }
    int BitCount() const { return m_info ? m_info->header.bitCount : 0; }
    // Colours in the table: from the bit count, replaced by a non-zero
    // colours-used field; never more than the table holds.
    int NumColours() const;
    static int NumColoursOf(const DIBInfoHeader& header, bool coreHeader);
    // Bytes per row: the pixels of a row padded to a multiple of 4 bytes; for
    // 8 bits per pixel, (width + 3) rounded down to a multiple of 4.
    static size_t StrideOf(int width, int bitCount);
    size_t Stride() const { return m_info ? StrideOf(Width(), BitCount()) : 0; }
    size_t BitsSize() const { return m_bitsSize; }

    const DIBInfo* Info() const { return m_info.get(); }
    DIBInfo* Info() { return m_info.get(); }
    const uint8_t* Bits() const { return m_bits.get(); }
    uint8_t* Bits() { return m_bits.get(); }
    // Address of pixel (x, y), y counted from the top, in an 8-bit image; null
    // when the image is not 8-bit or the point lies outside it.
    uint8_t* PixelAddress(int x, int y);

#ifdef _WIN32
    const BITMAPINFO* BitmapInfo() const { return reinterpret_cast<const BITMAPINFO*>(m_info.get()); }
    // Draws the image unscaled with its top-left corner at (x, y); false when
    // the image is empty or the platform refuses.
    bool Draw(HDC dc, int x, int y) const;
    // Draws the image stretched to the rectangle.
    bool Draw(HDC dc, const RECT& target) const;
#endif

private:
    void Take(std::unique_ptr<DIBInfo> info, std::unique_ptr<uint8_t[]> bits, size_t bitsSize);

    std::unique_ptr<DIBInfo> m_info;
    std::unique_ptr<uint8_t[]> m_bits;   // always owned: the program never lends rows
    size_t m_bitsSize = 0;
};
