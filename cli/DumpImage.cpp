// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/DumpImage.h"

#include "device/RioDevice.h"

#include <cstring>

namespace {

constexpr long long kImagePageBytes = kRioPageSize + kRioSpareSize;
constexpr long long kImageBlockBytes = kImagePageBytes * kRioPagesPerBlock;

bool Seek(std::FILE* f, long long offset)
{
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

long long SizeOf(std::FILE* f)
{
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0)
        return -1;
    return _ftelli64(f);
#else
    if (fseeko(f, 0, SEEK_END) != 0)
        return -1;
    return static_cast<long long>(ftello(f));
#endif
}

} // namespace

CDumpImage::~CDumpImage()
{
    if (m_file)
        std::fclose(m_file);
}

bool CDumpImage::Open(const std::string& path, std::string& error)
{
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file) {
        error = "unable to open '" + path + "' for read";
        return false;
    }
    const long long size = SizeOf(m_file);
    // At most the state table's 8192 blocks; a player memory is a whole number of blocks.
    if (size <= 0 || size % kImageBlockBytes != 0 || size / kImageBlockBytes > kRioTableBlocks) {
        error = "'" + path + "' is no image of a player's memory (pages of 528 bytes, whole 32 KB blocks)";
        return false;
    }
    m_blocks = static_cast<int>(size / kImageBlockBytes);
    m_directory.resize(kRioBlockSize);
    if (!ReadBlock(0, m_directory.data())) {
        error = "error reading from file '" + path + "'";
        return false;
    }
    return true;
}

bool CDumpImage::ReadBlock(int b, uint8_t* out)
{
    if (b < 0 || b >= m_blocks || !Seek(m_file, b * kImageBlockBytes))
        return false;
    uint8_t page[kImagePageBytes];
    for (int p = 0; p < kRioPagesPerBlock; ++p) {
        if (std::fread(page, 1, sizeof page, m_file) != sizeof page)
            return false;
        std::memcpy(out + p * kRioPageSize, page, kRioPageSize);
    }
    return true;
}
