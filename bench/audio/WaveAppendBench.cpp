// Cost of appending one quarter-second capture buffer to a recording (samples plus the two size rewrites that
// keep a cut-off file playable), and of the trace drawn from it.

#include "audio/AudioTraceUnit.h"
#include "audio/WaveFileUnit.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_WaveAppend(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("bench.Wav");
    const QByteArray buffer(int(CaptureBufferBytes(RunningAudioFormat())), '\x5a');
    TWaveFileWriter writer;
    writer.OpenWaveFile(path, RunningAudioFormat());
    int written = 0;
    for (auto _ : state) {
        writer.WriteWaveData(buffer.constData(), buffer.size());
        if (++written == 4 * 60 * 10) { // start a new file every ten minutes of audio
            state.PauseTiming();
            writer.OpenWaveFile(path, RunningAudioFormat());
            written = 0;
            state.ResumeTiming();
        }
    }
    state.SetBytesProcessed(state.iterations() * buffer.size());
}
BENCHMARK(BM_WaveAppend);

void BM_WaveOpenClose(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("open.Wav");
    for (auto _ : state) {
        TWaveFileWriter writer;
        writer.OpenWaveFile(path, RunningAudioFormat());
        writer.CloseWaveFile();
    }
}
BENCHMARK(BM_WaveOpenClose);

void BM_TraceExtract(benchmark::State& state)
{
    const QByteArray buffer(int(CaptureBufferBytes(RunningAudioFormat())), '\x11');
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ExtractTraceChannel(buffer.constData(), buffer.size(), RunningAudioFormat()));
    }
}
BENCHMARK(BM_TraceExtract);

} // namespace

BENCHMARK_MAIN();
