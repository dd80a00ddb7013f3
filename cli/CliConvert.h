// SPDX-License-Identifier: GPL-3.0-or-later
// put's conversion step: which files are converted to MP3 (or sent without
// their tags), at what bitrate (--fit: the highest at which the batch fits),
// what --dry-run shows, and the temporary file each conversion writes.
#pragma once
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

class CCliProgress;
class CRioDevice;

class CCliConvert {
public:
    CCliConvert(const SCliOptions& options, std::ostream& out);
    ~CCliConvert();
    CCliConvert(const CCliConvert&) = delete;
    CCliConvert& operator=(const CCliConvert&) = delete;

    // Identifies every file and chooses the bitrate, before anything is sent;
    // false with the reason for a file that cannot be sent or a batch that
    // does not fit even at the lowest bitrate.
    bool Plan(const CRioDevice& device, std::string& error);
    // The name file i takes on the player (before the name rules).
    std::string PlayerName(size_t i) const;
    // --dry-run: a line per file and the total.
    void Show(const std::vector<std::string>& shownNames) const;
    // The PC file to send for file i: the file itself, or a temporary file
    // made now (removed at the next call or when this object goes). False
    // with the reason on failure or a stop request.
    bool Prepare(size_t i, CCliProgress& progress, std::string& sendPath, std::string& error);

private:
    struct SPlan;
    const SCliOptions& m_options;
    std::ostream& m_out;
    std::unique_ptr<SPlan> m_plan;
};
