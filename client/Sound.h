// Playing the client's two wave files.
//
// PlaySound plays a whole file before it returns and ignores every failure:
// a missing or unreadable file, or no sound device, gives silence and no
// message. The session holds a SoundPlayer so tests can record what would be
// played instead of waiting for real sound.
#pragma once

#include <QString>

#include <string>

namespace pm::client {

inline constexpr const char* kRingFile = "phnring.wav";
inline constexpr const char* kBuzzerFile = "buzzer.wav";

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Plays the wave file at `path` to its end; returns when it is done.
  virtual void PlaySound(const std::string& path) = 0;
};

// The real player (QtMultimedia). While a sound plays it runs a local event
// loop that excludes user input; the session queues socket events and clock
// ticks that arrive meanwhile and handles them after the sound.
class QtSoundPlayer : public SoundPlayer {
 public:
  void PlaySound(const std::string& path) override;
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
