// SPDX-License-Identifier: GPL-3.0-or-later
// CRioSession: the one object through which the windows use the player.
//
// It finds the player on one of the two stored printer ports (and remembers the
// one that answered), applies the stored delay counts, owns the device object,
// runs every user-level operation as its device operations followed by a
// directory write, shows a message for each failure, and turns directory
// entries into list rows. Every operation but Connect and the destructor does
// nothing (and answers false) while no player is connected.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "device/RioDevice.h"

class CFileEntry;
class CMessageSink;
class CPortProvider;

class CRioSession {
public:
    // All three collaborators must outlive the session.
    CRioSession(CSettingsStore& settings, CMessageSink& messages, CPortProvider& ports);
    CRioSession(const CRioSession&) = delete;
    CRioSession& operator=(const CRioSession&) = delete;

    // The virtual operations, in their fixed slot order.
    virtual ~CRioSession();
    virtual bool Connect();
    // False, with a message, on any failure, a checksum fault included.
    virtual bool ReadDirectory();
    virtual bool GetDirectoryHeader(uint8_t header[kRioHeaderSize]);
    virtual bool GetTotalMemory(int& kb);
    virtual bool GetUsedMemory(int& kb);
    virtual bool GetFreeMemory(int& kb);
    // A new row for entry index, owned by the caller; false past the last entry.
    // Row index shows the entry in slot index (numbered index + 1).
    virtual bool GetEntryRow(int index, std::unique_ptr<CFileEntry>& row);
    virtual bool SelectMemory(int external);
    virtual void Initialize(int check, ProgressCallback callback);
    // name: the player's name of the file, when it is not the base name of path.
    virtual bool DownloadFile(const char* path, ProgressCallback callback, const char* name = nullptr);
    virtual void UploadFile(const char* path, ProgressCallback callback, const char* name = nullptr);
    virtual bool DeleteFile(const char* name);
    virtual bool ReorderFiles(const uint32_t* positions, int count);
    // Deletes the entries in these slots with one directory write: the player
    // then holds all of them or none. (Not one of the virtual operations,
    // whose slots are fixed.)
    bool DeleteEntries(const std::vector<int>& slots);
    // ReorderFiles that tells whether the player has the new order.
    bool ApplyOrder(const uint32_t* positions, int count);
    virtual void SetIODelayInit(int value);
    virtual void SetIODelayTx(int value);
    virtual void SetIODelayRx(int value);

    // "dd/mm/yy hh:mm:ss" in local time of a download time (seconds since 1970
    // UTC, taken as signed), or "INVALID DATE/TIME".
    static std::string FormatDateTime(uint32_t seconds);
    // The list row of a directory entry at index (0-based).
    static std::unique_ptr<CFileEntry> MakeEntryRow(int index, const DirectoryEntry& entry);

    // How a download that the caller may stop ended.
    enum class EDownloadEnd { Sent, Failed, Stopped };
    // DownloadFile for a caller that stops through its callback: a stop it
    // asked for is no failure, so it shows no message and ends as Stopped.
    EDownloadEnd DownloadUnlessStopped(const char* path, ProgressCallback callback, const char* name = nullptr);

    // The entry the user chose, by its slot (the row index of GetEntryRow):
    // the file of that entry, whatever other entry holds the same name. Each
    // shows its failure like DeleteFile and UploadFile. A delete moves the
    // entries after slot up by one: delete several from the highest slot down.
    bool DeleteEntry(int slot);
    bool UploadEntry(int slot, const char* path, ProgressCallback callback);

    bool IsConnected() const { return m_device != nullptr; }
    // Whether the image is a directory read soundly from the selected memory
    // (or made by Initialize). Without one, GetEntryRow and the memory figures
    // answer false (0 KB) and downloads, deletes and reorders are refused with
    // the device's text; after a checksum fault only Initialize helps.
    bool HasDirectory() const;
    int GetPortInUse() const { return m_port; }
    // The delays read from the settings at the last Connect (-1 before it).
    int GetStoredIODelayInit() const { return m_ioDelayInit; }
    int GetStoredIODelayTx() const { return m_ioDelayTx; }
    int GetStoredIODelayRx() const { return m_ioDelayRx; }
    CRioDevice* GetDevice() { return m_device.get(); }
    // Downloads read every file back and compare it with the PC file (off
    // until set); the choice holds for every device object the session makes.
    void SetVerifyDownloads(bool on);
    bool GetVerifyDownloads() const { return m_verifyDownloads; }
    // The lead bytes of the code page of the names downloads are given (null:
    // a single-byte one); it holds for every device object the session makes.
    void SetLeadBytePredicate(LeadBytePredicate isLead);

protected:
    // Makes the device object on the provider's backend; a test may replace it
    // to watch or adapt the device objects a session makes.
    virtual std::unique_ptr<CRioDevice> CreateDevice(CPortIO& port);

private:
    int ReadWithDefaultWritten(SettingId id);
    bool DetectOn(int port);
    void ShowFailure(const char* heading, bool withDeviceText = true);
    bool GetMemoryFigure(int& kb, uint16_t DirectoryHeader::*field);
    EDownloadEnd Download(const char* path, ProgressCallback callback, const char* name, bool stopIsFailure);
    bool WriteAfterDelete();
    bool ShowUploadEnd(bool uploaded);

    CSettingsStore& m_settings;
    CMessageSink& m_messages;
    CPortProvider& m_ports;
    std::unique_ptr<CRioDevice> m_device;
    int m_ioDelayInit = -1;
    int m_ioDelayTx = -1;
    int m_ioDelayRx = -1;
    int m_port = 0;
    bool m_verifyDownloads = false;
    LeadBytePredicate m_isLead = nullptr;
};
