// SPDX-License-Identifier: GPL-3.0-or-later
// Extra drive letters for a test, made through Wine's own mount manager (as
// Wine's configuration tool does): each letter maps to a host folder and has a
// drive type, so that the drive tree meets real fixed, removable, network,
// RAM and CD-ROM drives. Under Wine only.
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

namespace foldertest {

// Wine's request to define (or, without a mount point, remove) a drive letter.
struct SWineUnixDrive {
    ULONG size;
    UINT32 type;
    UINT32 fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
constexpr DWORD kMountManagerType = 0x6D;
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(kMountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Maps letter to the host folder unixPath with the drive type; a null path
// removes the letter.
inline bool DefineWineDrive(char letter, const char* unixPath, UINT type)
{
    HANDLE manager = ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    const size_t length = sizeof(SWineUnixDrive) + (unixPath != nullptr ? std::strlen(unixPath) + 1 : 0);
    std::vector<char> request(length, '\0');
    auto* drive = reinterpret_cast<SWineUnixDrive*>(request.data());
    drive->size = static_cast<ULONG>(length);
    drive->type = type;
    drive->letter = static_cast<WCHAR>(letter | 0x20);
    if (unixPath != nullptr) {
        drive->mountPointOffset = sizeof(SWineUnixDrive);
        std::strcpy(request.data() + sizeof(SWineUnixDrive), unixPath);
    }
    DWORD got = 0;
    const BOOL ok = ::DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(length), nullptr,
                                      0, &got, nullptr);
    ::CloseHandle(manager);
    return ok != FALSE;
}

// The host path of a Windows path (Wine's own export), or empty.
inline std::string UnixPathOf(const std::string& windowsPath)
{
    using UnixName = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr)
        return std::string();
    std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* unix = toUnix(wide.c_str());
    if (unix == nullptr)
        return std::string();
    std::string result(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

// Drive letters defined for the life of the object, removed again at its end.
class CWineDrives {
public:
    ~CWineDrives()
    {
        for (char letter : m_letters)
            DefineWineDrive(letter, nullptr, DRIVE_NO_ROOT_DIR);
    }
    bool Add(char letter, const std::string& unixPath, UINT type)
    {
        DefineWineDrive(letter, nullptr, DRIVE_NO_ROOT_DIR);   // left over from a run that crashed
        if (!DefineWineDrive(letter, unixPath.c_str(), type))
            return false;
        m_letters.push_back(letter);
        return true;
    }

private:
    std::vector<char> m_letters;
};

}  // namespace foldertest
