#include "client/Sound.h"
#include "common/QtPaths.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <cstdint>
#include <fstream>

namespace pm::client {

namespace {

uint32_t Le32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

int WaveDurationMs(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return -1;
  unsigned char riff[12];
  if (!in.read(reinterpret_cast<char*>(riff), 12)) return -1;
  if (std::string(reinterpret_cast<char*>(riff), 4) != "RIFF" ||
      std::string(reinterpret_cast<char*>(riff) + 8, 4) != "WAVE")
    return -1;
  uint32_t byteRate = 0;
  // Walk the chunks; a broken header ends the walk without a result.
  for (int guard = 0; guard < 64; ++guard) {
    unsigned char head[8];
    if (!in.read(reinterpret_cast<char*>(head), 8)) return -1;
    std::string id(reinterpret_cast<char*>(head), 4);
    uint32_t size = Le32(head + 4);
    if (id == "fmt ") {
      unsigned char fmt[16];
      if (size < 16 || !in.read(reinterpret_cast<char*>(fmt), 16)) return -1;
      byteRate = Le32(fmt + 8);
      in.seekg(size - 16 + (size & 1), std::ios::cur);
    } else if (id == "data") {
      if (byteRate == 0) return -1;
      return static_cast<int>(uint64_t(size) * 1000 / byteRate);
    } else {
      in.seekg(size + (size & 1), std::ios::cur);
    }
    if (!in) return -1;
  }
  return -1;
}

struct QtSoundPlayer::Effect {
  QSoundEffect sound;
  bool pending = false;  // asked to play while its file still loads
};

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

QString SoundFolder(const QString& programFolder) {
  const QString installed = QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(PICKMILL_SOUND_DATA_DIR)));
  for (const QString& folder : {programFolder, installed})
    if (QFileInfo(QDir(folder).filePath(QString::fromLatin1(kRingFile))).isFile()) return folder;
  return programFolder;
}

void QtSoundPlayer::PlaySound(const std::string& path) {
  const QString file = PathQString(path);
  if (!QFileInfo(file).isFile() || WaveDurationMs(path) < 0) return;
  if (QMediaDevices::audioOutputs().isEmpty()) return;

  std::unique_ptr<Effect>& effect = effects_[path];
  if (!effect) {
    effect = std::make_unique<Effect>();
    Effect* loading = effect.get();
    QObject::connect(&loading->sound, &QSoundEffect::statusChanged, &loading->sound, [loading] {
      if (loading->sound.status() == QSoundEffect::Ready && loading->pending) {
        loading->pending = false;
        loading->sound.play();
      }
    });
    effect->sound.setSource(QUrl::fromLocalFile(file));
  }
  switch (effect->sound.status()) {
    case QSoundEffect::Ready: effect->sound.play(); break;
    case QSoundEffect::Error: break;  // silence
    default: effect->pending = true; break;
  }
}

}  // namespace pm::client
