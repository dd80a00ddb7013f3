// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/PcFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace {

class CSystemPcFiles : public CPcFiles {
public:
    int Open(const std::string& path, EOpen how) override
    {
#ifdef _WIN32
        const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | (how == EOpen::New ? _O_EXCL : _O_TRUNC);
        return ::_open(path.c_str(), flags, _S_IREAD | _S_IWRITE);
#else
        const int flags = O_WRONLY | O_CREAT | (how == EOpen::New ? O_EXCL : O_TRUNC);
        return ::open(path.c_str(), flags, 0666);
#endif
    }

    bool Write(int file, const void* data, size_t n) override
    {
        // The system may take fewer bytes than asked (a signal, a pipe): the
        // rest is offered again; nothing taken at all is a failure.
        const char* p = static_cast<const char*>(data);
        while (n > 0) {
            const size_t chunk = n < kChunk ? n : kChunk;
#ifdef _WIN32
            const int done = ::_write(file, p, static_cast<unsigned>(chunk));
#else
            const ssize_t done = ::write(file, p, chunk);
#endif
            if (done <= 0)
                return false;
            p += done;
            n -= static_cast<size_t>(done);
        }
        return true;
    }

    bool Flush(int file) override
    {
#ifdef _WIN32
        return ::_commit(file) == 0;
#else
        return ::fsync(file) == 0;
#endif
    }

    bool Close(int file) override
    {
#ifdef _WIN32
        return ::_close(file) == 0;
#else
        return ::close(file) == 0;
#endif
    }

    bool Replace(const std::string& from, const std::string& to) override
    {
#ifdef _WIN32
        // The C library's rename refuses an existing target on Windows.
        return ::MoveFileExA(from.c_str(), to.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
#else
        return std::rename(from.c_str(), to.c_str()) == 0;
#endif
    }

    bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }

    uint64_t FreeSpace(const std::string& folder) override
    {
#ifdef _WIN32
        ULARGE_INTEGER available;
        if (!::GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr))
            return 0;
        return available.QuadPart;
#else
        struct statvfs vfs;
        if (::statvfs(folder.c_str(), &vfs) != 0)
            return 0;
        return static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
#endif
    }

private:
    static constexpr size_t kChunk = 65536;
};

} // namespace

CPcFiles& SystemPcFiles()
{
    static CSystemPcFiles files;
    return files;
}
