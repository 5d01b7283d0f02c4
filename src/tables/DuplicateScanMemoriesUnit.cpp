#include "tables/DuplicateScanMemoriesUnit.h"

#include "monitor/FrequencyTextUnit.h"

QStringList DuplicateScanMemoryLines(const std::vector<MemoryChannelRecord>& memories)
{
    QStringList lines;
    for (std::size_t a = 0; a < memories.size(); ++a) {
        for (std::size_t b = a + 1; b < memories.size(); ++b) {
            if (memories[a].Frequency != memories[b].Frequency)
                continue;
            lines.append(FormatFrequency(memories[a].Frequency, 0) + QStringLiteral("  ")
                + MemoryName(memories[a].Bank, memories[a].Channel) + QStringLiteral("  ")
                + MemoryName(memories[b].Bank, memories[b].Channel));
        }
    }
    return lines;
}
