// SPDX-License-Identifier: GPL-3.0-or-later
#include "player/FlashImage.h"

#include <algorithm>
#include <cstring>

namespace {

void Put16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v)
{
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

uint16_t WordSum(const uint8_t* p, size_t bytes)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < bytes; i += 2)
        sum += static_cast<uint32_t>(p[i] | (p[i + 1] << 8));
    return static_cast<uint16_t>(sum);
}

// The link fields of a spare area for one block number (offsets 0 to 5 or 6 to 11).
void PutLink(uint8_t* p, uint16_t block, const CFlashImage::SFormat& format)
{
    if (block == 0xFFFF) {
        std::memset(p, 0xFF, 6);
        return;
    }
    Put32(p, block * 16384u + (format.external ? 0x01000000u : 0u));
    const uint8_t chip = format.external ? 0 : static_cast<uint8_t>(block >> (format.largeChips ? 9 : 8));
    p[4] = chip;
    p[5] = chip;
}

bool AllErased(const uint8_t* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (p[i] != 0xFF)
            return false;
    return true;
}

}  // namespace

CFlashImage::~CFlashImage()
{
    Close();
}

void CFlashImage::Close()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

void CFlashImage::Create(uint32_t pages, const SFormat& format)
{
    Close();
    m_path.clear();
    m_error.clear();
    m_pages = pages;
    Format(format);
}

bool CFlashImage::Open(const std::string& path, uint32_t pages, const SFormat& format)
{
    Create(pages, format);
    m_path = path;
    const long size = static_cast<long>(static_cast<size_t>(pages) * kPageBytes);
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        bool ok = std::ftell(f) == size;
        std::fseek(f, 0, SEEK_SET);
        std::vector<uint8_t> chunk(kChunkBytes);
        for (size_t c = 0; ok && c < m_chunks.size(); ++c) {
            ok = std::fread(chunk.data(), 1, kChunkBytes, f) == kChunkBytes;
            if (!ok)
                break;
            if (AllErased(chunk.data(), kChunkBytes)) {
                m_chunks[c].reset();
            } else {
                m_chunks[c].reset(new uint8_t[kChunkBytes]);
                std::memcpy(m_chunks[c].get(), chunk.data(), kChunkBytes);
            }
        }
        std::fclose(f);
        if (!ok) {
            m_error = "image '" + path + "' has the wrong size or cannot be read";
            Format(format);
            return false;
        }
        m_file = std::fopen(path.c_str(), "rb+");
    } else {
        m_file = std::fopen(path.c_str(), "wb+");
        if (m_file)
            WriteThrough(0, m_pages);
    }
    if (!m_file) {
        m_error = "image '" + path + "' cannot be opened for writing";
        return false;
    }
    return true;
}

uint8_t* CFlashImage::MutablePage(uint32_t page)
{
    std::unique_ptr<uint8_t[]>& chunk = m_chunks[page / kPagesPerBlock];
    if (!chunk) {
        chunk.reset(new uint8_t[kChunkBytes]);
        std::memset(chunk.get(), 0xFF, kChunkBytes);
    }
    return chunk.get() + (page % kPagesPerBlock) * kPageBytes;
}

CFlashImage::Snapshot CFlashImage::TakeSnapshot() const
{
    Snapshot s(m_chunks.size());
    for (size_t c = 0; c < m_chunks.size(); ++c)
        if (m_chunks[c])
            s[c].assign(m_chunks[c].get(), m_chunks[c].get() + kChunkBytes);
    return s;
}

bool CFlashImage::Restore(const Snapshot& snapshot)
{
    if (snapshot.size() != m_chunks.size())
        return false;
    for (size_t c = 0; c < m_chunks.size(); ++c) {
        if (snapshot[c].empty()) {
            m_chunks[c].reset();
        } else {
            uint8_t* p = MutablePage(static_cast<uint32_t>(c * kPagesPerBlock));
            std::copy(snapshot[c].begin(), snapshot[c].end(), p);
        }
    }
    WriteThrough(0, m_pages);
    return true;
}

void CFlashImage::Format(const SFormat& format)
{
    m_chunks.clear();
    m_chunks.resize((m_pages + kPagesPerBlock - 1) / kPagesPerBlock);
    if (m_pages < kPagesPerBlock)
        return;
    std::vector<uint8_t> block(kBlockBytes);
    BuildEmptyDirectory(block.data(), format);
    for (uint32_t p = 0; p < kPagesPerBlock; ++p) {
        uint8_t* page = MutablePage(p);
        std::memcpy(page, &block[p * kDataBytes], kDataBytes);
        BuildSpare(page + kDataBytes, page, 0, 0, format);
    }
}

void CFlashImage::Erase(uint32_t first, uint32_t count)
{
    for (uint32_t p = first; p < first + count;) {
        const uint32_t c = p / kPagesPerBlock;
        const uint32_t inChunk = std::min(first + count, (c + 1) * kPagesPerBlock) - p;
        if (inChunk == kPagesPerBlock)
            m_chunks[c].reset();
        else if (m_chunks[c])
            std::memset(MutablePage(p), 0xFF, static_cast<size_t>(inChunk) * kPageBytes);
        p += inChunk;
    }
    WriteThrough(first, count);
}

void CFlashImage::Program(uint32_t page, const uint8_t* bytes, uint32_t n)
{
    uint8_t* p = MutablePage(page);
    for (uint32_t i = 0; i < n; ++i)
        p[i] &= bytes[i];
    WriteThrough(page, 1);
}

void CFlashImage::WriteThrough(uint32_t first, uint32_t count)
{
    if (!m_file || count == 0)
        return;
    bool ok = std::fseek(m_file, static_cast<long>(static_cast<size_t>(first) * kPageBytes), SEEK_SET) == 0;
    for (uint32_t p = first; ok && p < first + count;) {
        const uint32_t inChunk = std::min(first + count, (p / kPagesPerBlock + 1) * kPagesPerBlock) - p;
        const size_t bytes = static_cast<size_t>(inChunk) * kPageBytes;
        ok = std::fwrite(Page(p), 1, bytes, m_file) == bytes;
        p += inChunk;
    }
    if (!ok || std::fflush(m_file) != 0)
        m_error = "image '" + m_path + "' could not be written";
}

void CFlashImage::BuildEmptyDirectory(uint8_t* block, const SFormat& format)
{
    std::memset(block, 0, kBlockBytes);
    Put16(block + 0x02, format.totalBlocks);
    Put16(block + 0x06, format.totalBlocks);
    Put32(block + 0x0A, format.time);
    Put16(block + 0x14, 0x0100);
    std::memset(block + 0x2000, 0xFF, 8192);
    Put16(block + 0x10, static_cast<uint16_t>(0u - WordSum(block + 0x200, kBlockBytes - 0x200)));
    Put16(block + 0x0E, static_cast<uint16_t>(0u - WordSum(block, 0x200)));
}

void CFlashImage::BuildSpare(uint8_t* spare, const uint8_t* data, uint16_t prev, uint16_t next,
                             const SFormat& format)
{
    PutLink(spare, next, format);
    PutLink(spare + 6, prev, format);
    Put16(spare + 12, static_cast<uint16_t>(0u - WordSum(data, kDataBytes)));
    if (prev == 0xFFFF)
        Put16(spare + 14, 0xFFFF);
    else
        Put16(spare + 14, (prev * 256u) & 0xFFFF);
}
