// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/SpeedChoice.h"

#include "device/RioSession.h"

namespace {
// Rows SLOW, MEDIUM, FAST; MEDIUM is the device's default.
constexpr int kValues[kSpeedColumns][kSpeedRows] = {
    {25000, 20000, 15000},   // IODelayInit: wake-up sequence
    {150, 100, 10},          // IODelayTx: status strobe after erase and program
    {3, 2, 1},               // IODelayRx: byte reads
};
constexpr SettingId kSettings[kSpeedColumns] = {SettingIODelayInit, SettingIODelayTx, SettingIODelayRx};

bool ValidColumn(int column) { return column >= 0 && column < kSpeedColumns; }
}  // namespace

int SpeedValue(int column, int row)
{
    if (!ValidColumn(column) || row < 0 || row >= kSpeedRows)
        return -1;
    return kValues[column][row];
}

int SpeedRowOf(int column, int value)
{
    if (!ValidColumn(column))
        return -1;
    for (int row = 0; row < kSpeedRows; ++row) {
        if (kValues[column][row] == value)
            return row;
    }
    return -1;
}

void CSpeedChoice::Load(CSettingsStore& settings)
{
    for (int column = 0; column < kSpeedColumns; ++column)
        m_values[column] = ReadIntSetting(settings, kSettings[column]);
}

void CSpeedChoice::SetDefaults()
{
    for (int column = 0; column < kSpeedColumns; ++column)
        m_values[column] = kValues[column][kSpeedMedium];
}

void CSpeedChoice::Choose(int column, int row)
{
    const int value = SpeedValue(column, row);
    if (value >= 0)
        m_values[column] = value;
}

int CSpeedChoice::Value(int column) const
{
    return ValidColumn(column) ? m_values[column] : -1;
}

void CSpeedChoice::StoreAndApply(CSettingsStore& settings, CRioSession* session) const
{
    for (int column = 0; column < kSpeedColumns; ++column)
        WriteIntSetting(settings, kSettings[column], m_values[column]);
    if (session == nullptr)
        return;
    session->SetIODelayInit(m_values[kSpeedInit]);
    session->SetIODelayTx(m_values[kSpeedTx]);
    session->SetIODelayRx(m_values[kSpeedRx]);
}
