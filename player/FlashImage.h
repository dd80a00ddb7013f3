// SPDX-License-Identifier: GPL-3.0-or-later
// The contents of one memory of the player (the internal chips together, or the
// card): pages of 512 data bytes and 16 spare bytes, in RAM and optionally in an
// image file of pages x 528 bytes that is written through on every erase and
// program, so that nothing the player acknowledged is lost when the program ends.
//
// RAM is held in chunks of one 32 KB block (64 pages); a chunk that is wholly
// erased is not allocated, so that a new player costs next to nothing and a
// snapshot of a mostly empty memory is small.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CFlashImage {
public:
    static constexpr uint32_t kDataBytes = 512;
    static constexpr uint32_t kSpareBytes = 16;
    static constexpr uint32_t kPageBytes = kDataBytes + kSpareBytes;
    static constexpr uint32_t kPagesPerBlock = 64;
    static constexpr uint32_t kBlockBytes = kDataBytes * kPagesPerBlock;

    // What a freshly formatted, empty memory holds in block 0.
    struct SFormat {
        uint16_t totalBlocks = 1024;
        bool external = false;   // spare-area links of the card
        bool largeChips = false; // spare-area chip numbers of 16 MB chips
        uint32_t time = 0;       // directory time stamp
    };

    CFlashImage() = default;
    CFlashImage(const CFlashImage&) = delete;
    CFlashImage& operator=(const CFlashImage&) = delete;
    ~CFlashImage();

    // A formatted, empty memory in RAM only.
    void Create(uint32_t pages, const SFormat& format);
    // The image file at path: loaded when it exists with the right size, else
    // created as a formatted, empty memory. False (see Error) when the file has
    // another size or cannot be read or written; the image is then formatted in RAM.
    bool Open(const std::string& path, uint32_t pages, const SFormat& format);

    // The contents of every chunk; an empty vector stands for an erased chunk.
    typedef std::vector<std::vector<uint8_t>> Snapshot;

    uint32_t Pages() const { return m_pages; }
    // The 528 bytes of a page, for reading.
    const uint8_t* Page(uint32_t page) const
    {
        const uint8_t* chunk = m_chunks[page / kPagesPerBlock].get();
        return (chunk ? chunk : m_erased.data()) + (page % kPagesPerBlock) * kPageBytes;
    }
    // The page for changing in place; call WriteThrough afterwards.
    uint8_t* MutablePage(uint32_t page);
    Snapshot TakeSnapshot() const;
    // Replaces the whole contents with a snapshot of an image of the same size.
    bool Restore(const Snapshot& snapshot);
    const std::string& Error() const { return m_error; }
    const std::string& Path() const { return m_path; }

    // NAND semantics: erase sets every bit, programming can only clear bits.
    void Erase(uint32_t first, uint32_t count);
    void Program(uint32_t page, const uint8_t* bytes, uint32_t n);
    // Writes pages changed in RAM directly through to the file.
    void WriteThrough(uint32_t first, uint32_t count);

    // The directory block of an empty memory, with valid checksums.
    static void BuildEmptyDirectory(uint8_t* block, const SFormat& format);
    // The spare area of a page as the PC writes it (links prev and next, 0xFFFF none).
    static void BuildSpare(uint8_t* spare, const uint8_t* data, uint16_t prev, uint16_t next,
                           const SFormat& format);

private:
    void Format(const SFormat& format);
    void Close();

    static constexpr size_t kChunkBytes = static_cast<size_t>(kPagesPerBlock) * kPageBytes;

    uint32_t m_pages = 0;
    std::vector<std::unique_ptr<uint8_t[]>> m_chunks;
    std::vector<uint8_t> m_erased = std::vector<uint8_t>(kChunkBytes, 0xFF);
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_error;
};
