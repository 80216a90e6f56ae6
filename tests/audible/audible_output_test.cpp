// What the player really sends to a sound server: a private PulseAudio with a null output, started
// here on a socket of its own (so no other test finds a sound device) and stopped after. The
// server's monitor is recorded while the sample sound lesson plays through the player's real
// output, and compared with the probe's rendering of the same movie.
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../platform/player/player_test_support.h"
#include "../swf/sound/audio_fixtures.h"
#include "platform/player/player_audio.h"
#include "platform/player/speaker_output.h"
#include "platform/player/swf_player_widget.h"
#include "support/qt_application.h"

namespace velmora::test {
namespace {

constexpr double kPlaySeconds = 6.0;
constexpr double kCompareSeconds = 3.0;

// A missing tool skips the test, unless the run demands every fixture.
#define VELMORA_REQUIRE_TOOL(tool)                                                                 \
    do {                                                                                           \
        if (QStandardPaths::findExecutable(tool).isEmpty()) {                                      \
            if (std::getenv("VELMORA_REQUIRE_FIXTURES")) FAIL() << tool << " is not installed";    \
            GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";               \
        }                                                                                          \
    } while (0)

// A process stopped (TERM, then KILL) when the test leaves, whatever happens.
struct Running {
    QProcess process;
    ~Running() {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

std::vector<int16_t> readRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// The first frame (interleaved stereo) louder than a whisper, or -1.
long firstLoudFrame(const std::vector<int16_t>& samples) {
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        if (std::abs(samples[i]) > 1000 || std::abs(samples[i + 1]) > 1000) return long(i / 2);
    }
    return -1;
}

TEST(AudibleOutput, TheSoundServerHearsWhatTheProbeRenders) {
    VELMORA_REQUIRE_TOOL("pulseaudio");
    VELMORA_REQUIRE_TOOL("parec");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString socket = dir.filePath("native");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", dir.path());
    env.insert("XDG_RUNTIME_DIR", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("PULSE_SERVER", "unix:" + socket);

    Running server;
    server.process.setProcessEnvironment(env);
    server.process.setStandardOutputFile(dir.filePath("server.log"));
    server.process.setStandardErrorFile(dir.filePath("server.log"));
    server.process.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                        "--disable-shm=yes", "--log-target=stderr",
                                        "-L", "module-null-sink sink_name=velmora_null rate=44100 channels=2",
                                        "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
    ASSERT_TRUE(server.process.waitForStarted(10000));
    ASSERT_TRUE(processEventsUntil([&] { return std::filesystem::exists(socket.toStdString()); }, 10000))
        << "the sound server did not open its socket";

    // This process finds the private server, and only it.
    qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    const std::string recording = dir.filePath("heard.raw").toStdString();
    Running recorder;
    recorder.process.setProcessEnvironment(env);
    recorder.process.setStandardOutputFile(QString::fromStdString(recording));
    recorder.process.start("parec", {"--raw", "--format=s16le", "--rate=44100", "--channels=2", "--latency-msec=20",
                                     "-d", "velmora_null.monitor"});
    ASSERT_TRUE(recorder.process.waitForStarted(10000));

    const std::string lesson = std::string(VELMORA_SOURCE_DIR) + "/samples/mp3/lesson1.swf";
    {
        auto audio = PlayerAudio::open([](swf::Mixer& mixer) -> std::unique_ptr<swf::AudioOutput> {
            return SpeakerOutput::open(mixer);
        });
        ASSERT_TRUE(audio->audible()) << audio->description();
        SwfPlayerWidget player;
        player.useAudio(audio);
        processEventsFor(500);  // the recorder is listening before the lesson starts
        player.putMovie(lesson);
        processEventsFor(int(kPlaySeconds * 1000));
    }
    processEventsFor(1000);  // what the server still holds reaches the recorder
    recorder.process.terminate();
    recorder.process.waitForFinished(3000);

    const std::string reference = dir.filePath("probe.wav").toStdString();
    ASSERT_EQ(std::system(("\"" + std::string(VELMORA_PROBE) + "\" audio \"" + lesson + "\" --out \"" + reference +
                           "\" --seconds " + std::to_string(kCompareSeconds) + " >/dev/null")
                              .c_str()),
              0);
    const std::vector<int16_t> heard = readRaw(recording);
    const std::vector<int16_t> expected = readWavSamples(reference);
    ASSERT_GT(heard.size(), size_t(kCompareSeconds * 44100 * 2)) << "the recording is too short";
    ASSERT_GT(rms(expected, 0, expected.size() / 2), 100.0) << "the lesson's first seconds are silent";

    // The lesson starts somewhere in the recording: lined up by where each first gets loud, then
    // aligned finely within a tenth of a second of that.
    const long heardOnset = firstLoudFrame(heard);
    const long expectedOnset = firstLoudFrame(expected);
    ASSERT_GE(heardOnset, 0) << "the recording is silent";
    ASSERT_GE(expectedOnset, 0);
    const long start = std::max(0L, heardOnset - expectedOnset);
    const std::vector<int16_t> cut(heard.begin() + start * 2, heard.end());
    const Alignment a = align(cut, expected, 4410);
    std::cout << "audible output: correlation " << a.correlation << " over " << kCompareSeconds << " s, the lesson "
              << double(start + a.lag) / 44.1 << " ms into the recording, " << heard.size() / 2
              << " frames recorded\n";
    EXPECT_GE(a.correlation, 0.95);
    EXPECT_EQ(longestGap(cut, expected, a.lag), 0);
}

}  // namespace
}  // namespace velmora::test
