#include "widgets/Widgets.h"
#include "common/QtPaths.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QMessageBox>
#include <QTimer>

#include <QWidget>
#include <algorithm>
#include <cstdio>

namespace pm::widgets {

QFont FixedFont() {
  static const QFont font = [] {
    if (QFontDatabase::families().contains(QStringLiteral("Courier New"))) {
      QFont f(QStringLiteral("Courier New"), 10);
      f.setStyleHint(QFont::Monospace);
      f.setFixedPitch(true);
      return f;
    }
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
  }();
  return font;
}

QString Shown(const std::string& text, TextCoding coding) {
  if (coding == TextCoding::Utf8) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return L1(text);
}

std::string NativePath(const QString& path) { return PathText(path); }

QString ShownPath(const std::string& path) { return PathQString(path); }

bool IsFormShown(const QWidget* window) { return window != nullptr && window->isVisible(); }

PromptAnswer QtPrompter::Ask(const PromptRequest& request) {
  // A busy pointer set by a running load must not hide the box's buttons.
  struct NormalPointer {
    bool pushed = QApplication::overrideCursor() != nullptr;
    NormalPointer() {
      if (pushed) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalPointer() {
      if (pushed) QApplication::restoreOverrideCursor();
    }
  } normal;
  QMessageBox box(parent_);
  box.setWindowTitle(Shown(request.title, request.coding));
  box.setText(Shown(request.text, request.coding));
  box.setTextFormat(Qt::PlainText);
  switch (request.icon) {
    case PromptIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case PromptIcon::Information: box.setIcon(QMessageBox::Information); break;
    case PromptIcon::Question: box.setIcon(QMessageBox::Question); break;
    case PromptIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case PromptIcon::Critical: box.setIcon(QMessageBox::Critical); break;
  }
  box.setWindowModality(Qt::ApplicationModal);
  if (request.buttons == PromptButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(request.defaultButton == PromptAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
  }
  box.setStandardButtons(QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  return PromptAnswer::Ok;
}

void ShowErrorsInMessageBox(ErrorReporter& reporter, QWidget* parent, const QString& title) {
  reporter.showMessage = [parent, title](const std::string& message) {
    // The error message names the error file: UTF-8.
    QMessageBox box(QMessageBox::Critical, title,
                    QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  };
}

void ArmSmokeTest(QWidget* window) {
  if (qEnvironmentVariableIntValue("PICKMILL_SMOKE") != 1) return;
  QTimer::singleShot(0, window, [window] {
    std::printf("caption: %s\n", qPrintable(window->windowTitle()));
    std::fflush(stdout);
    QCoreApplication::exit(window->isVisible() ? 0 : 1);
  });
}

}  // namespace pm::widgets
