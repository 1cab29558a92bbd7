// Paths between Qt's QString and the libraries' path text: the platform's
// file-name encoding on Linux, UTF-8 on Windows (where the libraries turn it
// into a wide path), so that a folder named "C:\Users\Иван\..." opens there.
// For the programs' Qt code only; the libraries themselves stay free of Qt.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace pm {

inline std::string PathText(const QString& path) {
#ifdef _WIN32
  return path.toUtf8().toStdString();
#else
  return QFile::encodeName(path).toStdString();
#endif
}

inline QString PathQString(const std::string& text) {
#ifdef _WIN32
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
#else
  return QFile::decodeName(QByteArray::fromStdString(text));
#endif
}

}  // namespace pm
