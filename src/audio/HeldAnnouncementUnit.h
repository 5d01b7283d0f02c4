#pragma once
// The spoken reminder while the receiver is held on a special frequency.

#include "support/DateTimeUnit.h"

#include <QString>
#include <QtGlobal>

#include <functional>

constexpr int DefaultAnnouncementInterval = 23;

// "Frequency held.. " + megahertz in general format (145.5, 145.5125) + " megahertz".
QString HeldAnnouncementText(qint32 frequency);

// The option "AnnouncementInterval": 0 or less (or absent) means 23 seconds.
int AnnouncementIntervalSeconds(int optionValue);

struct THeldFrequencyState {
    bool FrequencyHeld = false;
    QString HeldAnnouncement;
    TDateTime NextAnnouncementTime = 0; // 0 = not yet scheduled
};

// One clock tick at time t: the first tick after a hold only schedules; later due ticks speak the sentence
// when no squelch period is in progress (currentFrequency 0) and reschedule in every case. Returns whether
// the sentence was handed to speak.
bool AnnounceHeldFrequency(THeldFrequencyState& state, TDateTime t, qint32 currentFrequency,
    int intervalSeconds, const std::function<void(const QString&)>& speak);
