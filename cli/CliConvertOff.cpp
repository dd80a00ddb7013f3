// SPDX-License-Identifier: GPL-3.0-or-later
// The conversion step of put and sync in a build without the audio
// libraries: every file goes as it is, as with --no-convert.
#include "cli/CliConvert.h"

#include "cli/CliFiles.h"
#include "device/RioDevice.h"

struct CCliConvert::SPlan {};

CCliConvert::CCliConvert(const SCliOptions& options, const std::vector<std::string>& paths, std::ostream& out)
    : m_options(options), m_paths(paths), m_out(out)
{}
CCliConvert::~CCliConvert() = default;

bool CCliConvert::Probe(std::string& error)
{
    const bool asIs = m_options.noConvert || !(m_options.fit || m_options.reencode || m_options.stripTags);
    if (!asIs)
        error = "this build of quavel-cli cannot convert; use --no-convert";
    return asIs;
}

bool CCliConvert::Probe(size_t, std::string& error) { return Probe(error); }

bool CCliConvert::Plan(const CRioDevice&, std::string& error) { return Probe(error); }

bool CCliConvert::Fit(const std::vector<size_t>&, int, int, std::string&) { return true; }

int CCliConvert::Kbps() const { return m_options.bitrate; }

int64_t CCliConvert::Bytes(size_t i, int) const { return FileBytes(m_paths[i]); }

std::string CCliConvert::PlayerName(size_t i) const { return BaseName(m_paths[i].c_str()); }

void CCliConvert::Show(const std::vector<std::string>& shownNames) const
{
    for (size_t i = 0; i < shownNames.size(); ++i)
        m_out << "'" << shownNames[i] << "': " << FileBytes(m_paths[i]) << " bytes, as it is\n";
}

bool CCliConvert::Prepare(size_t i, CCliProgress&, std::string& sendPath, std::string&, int)
{
    sendPath = m_paths[i];
    return true;
}

void CCliConvert::Release() {}
