// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#define IDD_LINK_TEST 9000
#define IDC_LINK_LEFT 9001
#define IDC_LINK_CENTRED 9002
#define IDC_LINK_RIGHT 9003
#define IDC_LINK_MIDDLE 9004
#define IDC_LINK_EMPTY 9005
#define IDC_LINK_OTHER 9006
