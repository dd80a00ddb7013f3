// SPDX-License-Identifier: GPL-3.0-or-later
// The file operations through which everything that writes PC files works:
// saved playlists, uploads (the window's and quavel-cli's), quavel-cli's get
// and dump. Paths are narrow byte strings passed to the system unchanged (a
// player's names are bytes of any code page). The system's form is the C
// library's descriptor calls and, on Windows, the Win32 calls for the replace
// and the free space; a test puts a form in that fails a chosen call, to see
// that no failure is lost and no old file with it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class CPcFiles {
public:
    enum class EOpen {
        New,      // create a file that must not exist yet
        Truncate, // create, or cut an existing file to zero length
    };

    virtual ~CPcFiles() = default;
    // A descriptor for writing raw bytes, or -1 (errno tells why).
    virtual int Open(const std::string& path, EOpen how) = 0;
    // Writes all n bytes; false when any of them could not be written.
    virtual bool Write(int file, const void* data, size_t n) = 0;
    // Brings what was written to the disk itself, not the system's cache.
    virtual bool Flush(int file) = 0;
    // Releases the descriptor whatever the result; false when the data may not
    // have been stored.
    virtual bool Close(int file) = 0;
    // Gives the file `from` the name `to`, replacing a file of that name.
    virtual bool Replace(const std::string& from, const std::string& to) = 0;
    virtual bool Remove(const std::string& path) = 0;
    // Bytes this user may still write on the drive of the folder; 0 when the
    // system cannot tell.
    virtual uint64_t FreeSpace(const std::string& folder) = 0;
};

// The operating system's files.
CPcFiles& SystemPcFiles();

// An open PC file that is closed when it goes, unless Close was called.
class CPcFile {
public:
    CPcFile(CPcFiles& files, const std::string& path, CPcFiles::EOpen how) : m_files(files), m_fd(files.Open(path, how))
    {}
    ~CPcFile()
    {
        if (m_fd >= 0)
            m_files.Close(m_fd);
    }
    CPcFile(const CPcFile&) = delete;
    CPcFile& operator=(const CPcFile&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    bool Write(const void* data, size_t n) { return m_files.Write(m_fd, data, n); }
    // Flushes to the disk and closes: true only when both succeeded.
    bool FlushAndClose()
    {
        const bool flushed = m_files.Flush(m_fd);
        const bool closed = m_files.Close(m_fd);
        m_fd = -1;
        return flushed && closed;
    }

private:
    CPcFiles& m_files;
    int m_fd;
};
