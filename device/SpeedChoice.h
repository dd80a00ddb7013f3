// SPDX-License-Identifier: GPL-3.0-or-later
// The three delay counts of the printer-port protocol as the speed options
// dialog sees them: a column per count (wake-up, status strobe, byte read), a
// row per speed (SLOW, MEDIUM, FAST). Kept apart from the dialog so that the
// rules (what is read, what is stored, which column is usable) stand on their own.
#pragma once

#include "app/Settings.h"

class CRioSession;

enum ESpeedColumn { kSpeedInit, kSpeedTx, kSpeedRx, kSpeedColumns };
enum ESpeedRow { kSpeedSlow, kSpeedMedium, kSpeedFast, kSpeedRows };

// The count of a column at a speed; a larger count is slower.
int SpeedValue(int column, int row);
// The row whose count equals value, or -1 when the value is none of the column's.
int SpeedRowOf(int column, int value);

class CSpeedChoice {
public:
    CSpeedChoice() { SetDefaults(); }

    // Reads the three counts from the settings; a missing value is taken as its
    // default and not written.
    void Load(CSettingsStore& settings);
    // MEDIUM in every column.
    void SetDefaults();
    void Choose(int column, int row);

    int Value(int column) const;
    // The pressed row of a column, or -1 when its value is none of the column's
    // three: such a column stays unusable until SetDefaults.
    int PressedRow(int column) const { return SpeedRowOf(column, Value(column)); }

    // Stores the three counts in the settings, then hands them to the session
    // (wake-up, strobe, read, in that order) so that they apply at once.
    void StoreAndApply(CSettingsStore& settings, CRioSession* session) const;

private:
    int m_values[kSpeedColumns];
};
