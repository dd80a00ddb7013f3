// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliFiles.h"
#include "device/RioDevice.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
typedef struct _stati64 SStat;
int Stat(const std::string& path, SStat& st) { return _stati64(path.c_str(), &st); }
#else
typedef struct stat SStat;
int Stat(const std::string& path, SStat& st) { return stat(path.c_str(), &st); }
#endif

}  // namespace

bool IsFolder(const std::string& path)
{
#ifdef _WIN32
    // The C library's stat refuses a folder written with a trailing backslash.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
#endif
    SStat st;
    return Stat(path, st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

bool MakeFolder(const std::string& path)
{
#ifdef _WIN32
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0777);
#endif
    return IsFolder(path);
}

void RemoveFolder(const std::string& path)
{
#ifdef _WIN32
    _rmdir(path.c_str());
#else
    rmdir(path.c_str());
#endif
}

bool MoveReplacing(CPcFiles& files, const std::string& from, const std::string& to, std::string& error)
{
    if (files.Replace(from, to))
        return true;
#ifdef _WIN32
    error = "cannot move '" + from + "' to '" + to + "' (error " + std::to_string(::GetLastError()) + ")";
#else
    error = "cannot move '" + from + "' to '" + to + "': " + std::strerror(errno);
#endif
    return false;
}

long long FileBytes(const std::string& path)
{
    SStat st;
    if (Stat(path, st) != 0 || (st.st_mode & S_IFMT) != S_IFREG)
        return -1;
    return static_cast<long long>(st.st_size);
}

bool SameFolder(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    char fullA[MAX_PATH], fullB[MAX_PATH];
    if (!::GetFullPathNameA(a.c_str(), MAX_PATH, fullA, nullptr) ||
        !::GetFullPathNameA(b.c_str(), MAX_PATH, fullB, nullptr))
        return false;
    std::string x = fullA, y = fullB;
    while (x.size() > 3 && (x.back() == '\\' || x.back() == '/'))
        x.pop_back();
    while (y.size() > 3 && (y.back() == '\\' || y.back() == '/'))
        y.pop_back();
    return ::lstrcmpiA(x.c_str(), y.c_str()) == 0;
#else
    SStat x, y;
    return Stat(a, x) == 0 && Stat(b, y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
#endif
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    const char last = folder.back();
#ifdef _WIN32
    if (last == '\\' || last == '/' || last == ':')
        return folder + name;
    return folder + "\\" + name;
#else
    if (last == '/')
        return folder + name;
    return folder + "/" + name;
#endif
}

const char* PcBaseName(const std::string& path)
{
#ifdef _WIN32
    return BaseName(path.c_str());
#else
    const size_t slash = path.rfind('/');
    return path.c_str() + (slash == std::string::npos ? 0 : slash + 1);
#endif
}
