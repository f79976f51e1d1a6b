// Media commands against a private PulseAudio server with a null sink
// (started here and stopped by its process id): a wave file plays to its
// end, other files go through the media player and its completion.
#include <QElapsedTimer>
#include <QFile>
#include <fstream>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "gui/media/wave_sound.h"
#include "gui/object_fixture.h"
#include "common/run_program.h"

namespace nura {
namespace {

// A mono 16-bit PCM wave of `ms` milliseconds of a quiet tone.
void WriteWave(const std::string& path, int ms) {
  const int rate = 22050;
  const uint32_t samples = static_cast<uint32_t>(rate * ms / 1000);
  const uint32_t data = samples * 2;
  QByteArray bytes;
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) bytes.append(static_cast<char>((v >> (8 * i)) & 0xFF)); };
  auto u16 = [&](uint16_t v) { bytes.append(static_cast<char>(v & 0xFF)); bytes.append(static_cast<char>(v >> 8)); };
  bytes.append("RIFF");
  u32(36 + data);
  bytes.append("WAVEfmt ");
  u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
  bytes.append("data");
  u32(data);
  for (uint32_t i = 0; i < samples; ++i) u16(static_cast<uint16_t>((i % 50) < 25 ? 1000 : -1000));
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class MediaTest : public test::ObjectFixture {
 protected:
  void SetUp() override {
    folder = test::MakeTempFolder();
    const std::string socket = folder + "/native";
    pulse = fork();
    if (pulse == 0) {
      setenv("HOME", folder.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
      setenv("PULSE_RUNTIME_PATH", folder.c_str(), 1);
      const std::string protocol = "module-native-protocol-unix socket=" + socket + " auth-anonymous=1";
      execl("/usr/bin/pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
            "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr", "--log-level=0",
            "-L", "module-null-sink", "-L", protocol.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 100 && access(socket.c_str(), F_OK) != 0; ++i) usleep(50000);
    if (access(socket.c_str(), F_OK) != 0) GTEST_SKIP() << "PulseAudio does not run here";
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    test::ObjectFixture::SetUp();
  }
  void TearDown() override {
    form.reset();
    if (pulse > 0) {
      kill(pulse, SIGTERM);
      waitpid(pulse, nullptr, 0);
    }
  }
  std::string folder;
  pid_t pulse = -1;
};

TEST_F(MediaTest, AHalfSecondWavePlaysToItsEnd) {
  WriteWave(folder + "/half.wav", 500);
  QElapsedTimer clock;
  clock.start();
  Run("「" + folder + "/half.wav」を演奏\nS=演奏状態\n");
  EXPECT_EQ(Value("S"), "未設定");  // the wave sound is not the media player
  ASSERT_TRUE(WaitUntil(WaveSoundPlaying, 3000));
  ASSERT_TRUE(WaitUntil([] { return !WaveSoundPlaying(); }, 5000));
  EXPECT_GE(clock.elapsed(), 400);
}

TEST_F(MediaTest, TheMediaPlayerCompletesOrRepeatsUntilStopped) {
  // A wave under another name goes to the media player. A second of sound
  // outlasts a busy machine's pause before the first state is read; four
  // seconds span its completion.
  WriteWave(folder + "/short.snd", 1000);
  const std::string file = "「" + folder + "/short.snd」";
  Run(file + "を演奏\nS1=演奏状態\n4秒待つ\nS2=演奏状態\n" + file +
      "を繰り返し演奏\nR=演奏繰り返し\n3秒待つ\nS3=演奏状態\n演奏停止\nS4=演奏状態\n"
      "1.5秒待つ\nS5=演奏状態\n");
  EXPECT_EQ(Value("S1"), "演奏中");
  EXPECT_EQ(Value("S2"), "未設定");
  EXPECT_EQ(Value("R"), "0");
  EXPECT_EQ(Value("S3"), "演奏中");
  EXPECT_EQ(Value("S4"), "未設定");
  EXPECT_EQ(Value("S5"), "未設定");
}

TEST_F(MediaTest, MciStringsOpenPlayReportAndClose) {
  WriteWave(folder + "/tone one.wav", 1000);
  const std::string file = "\\\"" + folder + "/tone one.wav\\\"";
  Run("「open " + file + " type waveaudio alias T」をMCI送信\nO=それ\n"
      "「set t time format milliseconds」をMCI送信\nF=それ\n"
      "「status T length」をMCI送信\nL=それ\n「status T mode」をMCI送信\nM0=それ\n"
      "「play T from 0 to 300 wait」をMCI送信\nW=それ\n「status T mode」をMCI送信\nM1=それ\n"
      "「status T position」をMCI送信\nP1=それ\n"
      "「play T」をMCI送信\n「status T mode」をMCI送信\nM2=それ\n「pause T」をMCI送信\n「status T mode」をMCI送信\nM3=それ\n"
      "「resume T」をMCI送信\n「status T mode」をMCI送信\nM4=それ\n「stop T」をMCI送信\n「status T mode」をMCI送信\nM5=それ\n"
      "「seek T to start」をMCI送信\n「status T position」をMCI送信\nP2=それ\n"
      "「close T」をMCI送信\nC=それ\n「status T mode」をMCI送信\nM6=それ\n");
  EXPECT_EQ(Errors(), "");
  EXPECT_EQ(Value("O"), "1");
  EXPECT_EQ(Value("F"), "");
  EXPECT_NEAR(std::stoi(Value("L")), 1000, 50);
  EXPECT_EQ(Value("M0"), "stopped");
  EXPECT_EQ(Value("W"), "");
  EXPECT_EQ(Value("M1"), "stopped");
  EXPECT_GE(std::stoi(Value("P1")), 250);
  EXPECT_LT(std::stoi(Value("P1")), 900);
  EXPECT_EQ(Value("M2"), "playing");
  EXPECT_EQ(Value("M3"), "paused");
  EXPECT_EQ(Value("M4"), "playing");
  EXPECT_EQ(Value("M5"), "stopped");
  EXPECT_EQ(Value("P2"), "0");
  EXPECT_EQ(Value("C"), "");
  EXPECT_EQ(Value("M6"), "MCIエラー:デバイスが開かれていないか、MCIで認識できません。");
}

// Without a sound server (and no sound card, as on a build machine) there
// is nothing to play through: "open" says so.
class MciWithoutSound : public test::ObjectFixture {};

TEST_F(MciWithoutSound, OpenSaysThereIsNoAudioOutput) {
  const std::string folder = test::MakeTempFolder();
  WriteWave(folder + "/a.wav", 200);
  setenv("PULSE_SERVER", ("unix:" + folder + "/none").c_str(), 1);
  Run("「open " + folder + "/a.wav」をMCI送信\nR=それ\n");
  if (Value("R") == "1") GTEST_SKIP() << "this machine has a sound device";
  EXPECT_EQ(Value("R"), "MCIエラー:音声を出力する装置がありません。");
}

TEST_F(MediaTest, MciStringErrors) {
  WriteWave(folder + "/a.wav", 200);
  const std::string a = folder + "/a.wav";
  const auto reply = [&](const std::string& command) {
    Run("「" + command + "」をMCI送信\nR=それ\n");
    return Value("R");
  };
  EXPECT_EQ(reply("fly me"), "MCIエラー:MCIのコマンドとして認識できません。");
  EXPECT_EQ(reply(""), "MCIエラー:MCIのコマンドとして認識できません。");
  EXPECT_EQ(reply("play"), "MCIエラー:コマンドに必要な引数がありません。");
  EXPECT_EQ(reply("play nobody"), "MCIエラー:デバイスが開かれていないか、MCIで認識できません。");
  EXPECT_EQ(reply("open " + folder + "/none.wav"), "MCIエラー:指定されたファイルが見つかりません。");
  EXPECT_EQ(reply("open cdaudio"), "MCIエラー:その種類のデバイスは使えません。");
  EXPECT_EQ(reply("open waveaudio"), "MCIエラー:コマンドに必要な引数がありません。");
  EXPECT_EQ(reply("open " + a + " type cdaudio"), "MCIエラー:その種類のデバイスは使えません。");
  EXPECT_EQ(reply("open " + a + " alias X"), "1");
  EXPECT_EQ(reply("open " + a + " alias x"), "MCIエラー:その別名は既に使われています。");
  EXPECT_EQ(reply("set X time format frames"), "MCIエラー:その時間の形式は使えません。");
  EXPECT_EQ(reply("set X door open"), "MCIエラー:コマンドの引数が正しくありません。");
  EXPECT_EQ(reply("play X from soon"), "MCIエラー:コマンドの引数が正しくありません。");
  EXPECT_EQ(reply("status X volume"), "MCIエラー:コマンドの引数が正しくありません。");
  EXPECT_EQ(reply("status X ready"), "true");
  EXPECT_EQ(reply("close all"), "");
  std::ofstream(folder + "/noise.mp3") << std::string(2000, 'z');
  EXPECT_EQ(reply("open " + folder + "/noise.mp3").rfind("MCIエラー:ファイルを開けません。", 0), 0u);
  // A long reply or error text is cut to what a 512-byte buffer holds.
  const std::string unknown = reply("play " + std::string(600, 'x'));
  EXPECT_LE(SJ(unknown).size(), std::string(SJ("MCIエラー:")).size() + 511);
}

}  // namespace
}  // namespace nura
