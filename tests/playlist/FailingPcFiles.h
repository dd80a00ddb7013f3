// SPDX-License-Identifier: GPL-3.0-or-later
// PC files that fail one chosen call. Every call is recorded by name ("open",
// "write", "flush", "close", "replace", "remove", "free"); all but the failing
// one are done by the system. A failed close still releases the file.
#pragma once
#include <cerrno>
#include <string>
#include <vector>

#include "playlist/PcFiles.h"

class CFailingPcFiles : public CPcFiles {
public:
    std::vector<std::string> calls;
    int failAt = -1;                 // index into calls; -1: nothing fails
    uint64_t freeSpace = 1ull << 40; // what FreeSpace tells

    // A new run in which call `index` fails.
    void FailCall(int index)
    {
        calls.clear();
        failAt = index;
    }

    int Open(const std::string& path, EOpen how) override { return Fails("open") ? -1 : Sys().Open(path, how); }
    bool Write(int file, const void* data, size_t n) override { return !Fails("write") && Sys().Write(file, data, n); }
    bool Flush(int file) override { return !Fails("flush") && Sys().Flush(file); }
    bool Close(int file) override { return !Fails("close") & Sys().Close(file); }
    bool Replace(const std::string& from, const std::string& to) override
    {
        return !Fails("replace") && Sys().Replace(from, to);
    }
    bool Remove(const std::string& path) override { return !Fails("remove") && Sys().Remove(path); }
    uint64_t FreeSpace(const std::string&) override { return Fails("free") ? 0 : freeSpace; }

private:
    static CPcFiles& Sys() { return SystemPcFiles(); }
    bool Fails(const char* name)
    {
        calls.push_back(name);
        errno = EIO;
        return static_cast<int>(calls.size()) - 1 == failAt;
    }
};
