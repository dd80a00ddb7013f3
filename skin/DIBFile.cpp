// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/DIB.h"

#include <cstring>
#include <new>

namespace {

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

bool IsSupportedBitCount(uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Pixel row bytes of an image, or 0 when the header cannot describe a sane one.
size_t RowsSize(const DIBInfoHeader& h) {
    if (h.width <= 0 || h.height <= 0 || !IsSupportedBitCount(h.bitCount))
        return 0;
    const uint64_t rows = uint64_t(CDIB::StrideOf(h.width, h.bitCount)) * uint64_t(h.height);
    return rows <= CDIB::kMaxBitsSize ? size_t(rows) : 0;
}

}  // namespace

CDIB::CDIB() {
    Create(16, 16);
}

CDIB::~CDIB() = default;

size_t CDIB::StrideOf(int width, int bitCount) {
    if (width <= 0 || bitCount <= 0)
        return 0;
    return size_t((uint64_t(width) * uint64_t(bitCount) + 31) / 32 * 4);
}

int CDIB::NumColoursOf(const DIBInfoHeader& header, bool coreHeader) {
    int n = 0;
    switch (header.bitCount) {
    case 1: n = 2; break;
    case 4: n = 16; break;
    case 8: n = 256; break;
    default: n = 0; break;
    }
    if (!coreHeader && header.clrUsed != 0)
        n = header.clrUsed > 256 ? 256 : int(header.clrUsed);
    return n;
}

int CDIB::NumColours() const {
    return m_info ? NumColoursOf(m_info->header, false) : 0;
}

uint8_t* CDIB::PixelAddress(int x, int y) {
    if (!m_info || BitCount() != 8 || x < 0 || y < 0 || x >= Width() || y >= Height())
        return nullptr;
    return m_bits.get() + size_t(Height() - y - 1) * Stride() + size_t(x);
}

void CDIB::Take(std::unique_ptr<DIBInfo> info, std::unique_ptr<uint8_t[]> bits, size_t bitsSize) {
    m_info = std::move(info);
    m_bits = std::move(bits);
    m_bitsSize = bitsSize;
}

bool CDIB::Create(int width, int height) {
    Take(nullptr, nullptr, 0);
    DIBInfoHeader h{};
    h.size = kWindowsHeaderSize;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = 8;
    const size_t rows = RowsSize(h);
    if (rows == 0)
        return false;
    std::unique_ptr<DIBInfo> info(new (std::nothrow) DIBInfo{});
    std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[rows]());
    if (!info || !bits)
        return false;
    info->header = h;
    for (int i = 0; i < 256; ++i)
        info->colours[i] = DIBColour{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    Take(std::move(info), std::move(bits), rows);
    return true;
}

bool CDIB::LoadFromBytes(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kFileHeaderSize || Get16(data) != kFileType)
        return false;
    const uint32_t fileSize = Get32(data + 2);
    const uint32_t pixelOffset = Get32(data + 10);
    const uint8_t* p = data + kFileHeaderSize;
    const size_t rest = size - kFileHeaderSize;
    if (rest < 4)
        return false;

    DIBInfoHeader h{};
    h.size = kWindowsHeaderSize;
    const uint32_t headerSize = Get32(p);
    const bool core = headerSize == kCoreHeaderSize;
    if (headerSize == kWindowsHeaderSize) {
        if (rest < kWindowsHeaderSize)
            return false;
        h.width = int32_t(Get32(p + 4));
        h.height = int32_t(Get32(p + 8));
        h.planes = Get16(p + 12);
        h.bitCount = Get16(p + 14);
        h.compression = Get32(p + 16);
        h.sizeImage = Get32(p + 20);
        h.xPelsPerMeter = int32_t(Get32(p + 24));
        h.yPelsPerMeter = int32_t(Get32(p + 28));
        h.clrUsed = Get32(p + 32);
        h.clrImportant = Get32(p + 36);
    } else if (core) {
        if (rest < kCoreHeaderSize)
            return false;
        h.width = Get16(p + 4);    // 16-bit fields, zero-extended
        h.height = Get16(p + 6);
        h.planes = Get16(p + 8);
        h.bitCount = Get16(p + 10);
    } else {
        return false;
    }
    if (h.planes != 1 || h.compression != 0)
        return false;
    const size_t rows = RowsSize(h);
    if (rows == 0)
        return false;
    const int colours = NumColoursOf(h, core);
    if (!core && h.clrUsed > 256)
        h.clrUsed = 256;   // the rest of the file's table is skipped

    // The pixel rows: where the file says, as many as the header needs, and all
    // of them inside both the file size it declares and the bytes it really has.
    if (pixelOffset < kFileHeaderSize + headerSize || fileSize < pixelOffset ||
        fileSize - pixelOffset < rows || pixelOffset > size || size - pixelOffset < rows)
        return false;

    const size_t entrySize = core ? 3 : 4;
    const size_t tableStart = kFileHeaderSize + headerSize;
    if (size - tableStart < size_t(colours) * entrySize)
        return false;

    std::unique_ptr<DIBInfo> info(new (std::nothrow) DIBInfo{});
    std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[rows]);
    if (!info || !bits)
        return false;
    info->header = h;
    const uint8_t* table = data + tableStart;
    for (int i = 0; i < colours; ++i, table += entrySize)
        info->colours[i] = DIBColour{table[0], table[1], table[2], 0};
    std::memcpy(bits.get(), data + pixelOffset, rows);
    Take(std::move(info), std::move(bits), rows);
    return true;
}

bool CDIB::Load(std::FILE* file, bool* readError) {
    if (readError)
        *readError = false;
    if (file == nullptr)
        return false;
    std::vector<uint8_t> bytes(kFileHeaderSize);
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    // Refuse anything but "BM" before reading further.
    if (got == kFileHeaderSize && Get16(bytes.data()) == kFileType) {
        const size_t limit = kMaxBitsSize + kFileHeaderSize + kWindowsHeaderSize + 1024 + 4096;
        uint8_t chunk[4096];
        size_t n;
        while (bytes.size() < limit && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + n);
        got = bytes.size();
    }
    if (std::ferror(file)) {
        if (readError)
            *readError = true;
        return false;
    }
    return LoadFromBytes(bytes.data(), got);
}

std::vector<uint8_t> CDIB::SaveToBytes() const {
    std::vector<uint8_t> out;
    if (!m_info)
        return out;
    const DIBInfoHeader& h = m_info->header;
    const uint32_t colours = uint32_t(NumColours());
    const uint32_t offset = kFileHeaderSize + kWindowsHeaderSize + 4 * colours;
    out.reserve(offset + m_bitsSize);
    Put16(out, kFileType);
    Put32(out, uint32_t(offset + m_bitsSize));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, offset);
    Put32(out, kWindowsHeaderSize);
    Put32(out, uint32_t(h.width));
    Put32(out, uint32_t(h.height));
    Put16(out, h.planes);
    Put16(out, h.bitCount);
    Put32(out, h.compression);
    Put32(out, h.sizeImage);
    Put32(out, uint32_t(h.xPelsPerMeter));
    Put32(out, uint32_t(h.yPelsPerMeter));
    Put32(out, h.clrUsed);
    Put32(out, h.clrImportant);
    for (uint32_t i = 0; i < colours; ++i) {
        const DIBColour& c = m_info->colours[i];
        out.insert(out.end(), {c.blue, c.green, c.red, 0});
    }
    out.insert(out.end(), m_bits.get(), m_bits.get() + m_bitsSize);
    return out;
}

bool CDIB::Save(std::FILE* file) const {
    const std::vector<uint8_t> bytes = SaveToBytes();
    if (file == nullptr || bytes.empty())
        return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
}
