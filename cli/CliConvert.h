// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion step of put and sync: which files are converted to MP3 (or
// sent without their tags), at what bitrate (--fit: the highest at which the
// files to send fit), what put --dry-run shows, and the temporary file each
// conversion writes.
#pragma once
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

class CCliProgress;
class CRioDevice;

class CCliConvert {
public:
    // paths: the PC files, in the order the other calls number them.
    CCliConvert(const SCliOptions& options, const std::vector<std::string>& paths, std::ostream& out);
    ~CCliConvert();
    CCliConvert(const CCliConvert&) = delete;
    CCliConvert& operator=(const CCliConvert&) = delete;

    // Identifies every file, before anything is sent; false with the reason
    // for a file that cannot be sent as the options ask.
    bool Probe(std::string& error);
    // Identifies file i only.
    bool Probe(size_t i, std::string& error);
    // put: Probe, then --fit over every file into the device's free memory.
    bool Plan(const CRioDevice& device, std::string& error);
    // --fit: chooses the highest bitrate, at most --bitrate, at which these
    // files fit; false with the reason when even the lowest does not.
    bool Fit(const std::vector<size_t>& files, int freeBlocks, int freeEntries, std::string& error);
    // The bitrate of converted files: --bitrate, or the one Fit chose.
    int Kbps() const;
    // The bytes file i takes on the player when sent at kbps.
    int64_t Bytes(size_t i, int kbps) const;
    // The name file i takes on the player (before the name rules).
    std::string PlayerName(size_t i) const;
    // put --dry-run: a line per file and the total.
    void Show(const std::vector<std::string>& shownNames) const;
    // The PC file to send for file i at kbps (0: Kbps()): the file itself, or
    // a temporary file made now, removed by Release, the next Prepare or when
    // this object goes. False with the reason on failure or a stop request.
    bool Prepare(size_t i, CCliProgress& progress, std::string& sendPath, std::string& error, int kbps = 0);
    void Release();

private:
    struct SPlan;
    const SCliOptions& m_options;
    const std::vector<std::string>& m_paths;
    std::ostream& m_out;
    std::unique_ptr<SPlan> m_plan;
};
