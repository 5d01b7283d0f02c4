#include "audio/HeldAnnouncementUnit.h"

QString HeldAnnouncementText(qint32 frequency)
{
    return QStringLiteral("Frequency held.. ") + QString::number(frequency / 1e6, 'g', 15)
        + QStringLiteral(" megahertz");
}

int AnnouncementIntervalSeconds(int optionValue)
{
    return optionValue > 0 ? optionValue : DefaultAnnouncementInterval;
}

bool AnnounceHeldFrequency(THeldFrequencyState& state, TDateTime t, qint32 currentFrequency,
    int intervalSeconds, const std::function<void(const QString&)>& speak)
{
    if (!state.FrequencyHeld || t < state.NextAnnouncementTime) {
        return false;
    }
    const bool spoken = state.NextAnnouncementTime != 0 && currentFrequency == 0;
    if (spoken && speak) {
        speak(state.HeldAnnouncement);
    }
    state.NextAnnouncementTime = t + intervalSeconds / 86400.0;
    return spoken;
}
