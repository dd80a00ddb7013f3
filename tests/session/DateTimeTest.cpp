// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "device/RioSession.h"

namespace {

// Runs the checks under a given TZ and puts the previous zone back afterwards.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (m_had)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

}  // namespace

TEST(FormatDateTime, LocalTimeDayFirstTwoDigitYear) {
    ZoneGuard zone("UTC-1");   // POSIX sign: one hour east of Greenwich
    EXPECT_EQ(CRioSession::FormatDateTime(946684800u), "01/01/00 01:00:00");
    EXPECT_EQ(CRioSession::FormatDateTime(0u), "01/01/70 01:00:00");
    EXPECT_EQ(CRioSession::FormatDateTime(1000000000u), "09/09/01 02:46:40");
    EXPECT_EQ(CRioSession::FormatDateTime(0x7FFFFFFFu), "19/01/38 04:14:07");
}

TEST(FormatDateTime, WestOfGreenwichCrossesTheDayAndCentury) {
    ZoneGuard zone("UTC+5");
    EXPECT_EQ(CRioSession::FormatDateTime(946684800u), "31/12/99 19:00:00");
}

TEST(FormatDateTime, NegativeTimesAreInvalid) {
    ZoneGuard zone("UTC-1");
    for (uint32_t t : {0x80000000u, 0xFFFFFFFFu, 0xC0000000u})
        EXPECT_EQ(CRioSession::FormatDateTime(t), "INVALID DATE/TIME") << t;
}
