// Playing the client's two wave files.
//
// PlaySound starts a file and returns at once; the sound plays on while the
// program goes on. Every failure is ignored: a missing or unreadable file,
// or no sound device, gives silence and no message. The session holds a
// SoundPlayer so tests can record what would be played.
#pragma once

#include <QString>

#include <map>
#include <memory>
#include <string>

namespace pm::client {

inline constexpr const char* kRingFile = "phnring.wav";
inline constexpr const char* kBuzzerFile = "buzzer.wav";

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Starts the wave file at `path` (from its beginning when it plays still).
  virtual void PlaySound(const std::string& path) = 0;
};

// The real player (QtMultimedia): one sound effect for each file played (the
// ring and the buzzer), kept loaded for the next time.
class QtSoundPlayer : public SoundPlayer {
 public:
  QtSoundPlayer();
  ~QtSoundPlayer() override;
  void PlaySound(const std::string& path) override;

 private:
  struct Effect;
  std::map<std::string, std::unique_ptr<Effect>> effects_;
};

// Length in milliseconds of a PCM wave file, from its header; -1 when the
// file is not a readable RIFF/WAVE file.
int WaveDurationMs(const std::string& path);

// The folder the wave files are played from: the program's own folder when
// the ring is there (a copied program folder still rings), else the installed
// data folder (PICKMILL_SOUND_DATA_DIR, relative to the program's folder),
// else the program's folder (silence, as for any missing file).
QString SoundFolder(const QString& programFolder);

}  // namespace pm::client
