// SPDX-License-Identifier: GPL-3.0-or-later
// put's conversion step in a build without the audio libraries: every file
// goes as it is, as with --no-convert.
#include "cli/CliConvert.h"

#include "cli/CliFiles.h"
#include "device/RioDevice.h"

struct CCliConvert::SPlan {};

CCliConvert::CCliConvert(const SCliOptions& options, std::ostream& out) : m_options(options), m_out(out) {}
CCliConvert::~CCliConvert() = default;

bool CCliConvert::Plan(const CRioDevice&, std::string& error)
{
    const bool asIs = m_options.noConvert || !(m_options.fit || m_options.reencode || m_options.stripTags);
    if (!asIs)
        error = "this build of quavel-cli cannot convert; use --no-convert";
    return asIs;
}

std::string CCliConvert::PlayerName(size_t i) const
{
    return BaseName(m_options.paths[i].c_str());
}

void CCliConvert::Show(const std::vector<std::string>& shownNames) const
{
    for (size_t i = 0; i < shownNames.size(); ++i)
        m_out << "'" << shownNames[i] << "': " << FileBytes(m_options.paths[i]) << " bytes, as it is\n";
}

bool CCliConvert::Prepare(size_t i, CCliProgress&, std::string& sendPath, std::string&)
{
    sendPath = m_options.paths[i];
    return true;
}
