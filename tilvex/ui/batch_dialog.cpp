#include "batch_dialog.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/project_session.h"
#include "prompts.h"
#include "ui_text.h"

namespace tilvex::ui {

BatchDialog::BatchDialog(Prompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts) {
  setWindowTitle(QStringLiteral("Batch process"));
  auto* layout = new QHBoxLayout(this);
  list = new QListWidget(this);
  layout->addWidget(list, 1);
  progress = new QProgressBar(this);
  progress->setOrientation(Qt::Vertical);
  progress->setRange(0, 1);  // an empty range would show Qt's busy bar
  progress->setValue(0);
  progress->setTextVisible(false);
  layout->addWidget(progress);
  auto* buttons = new QVBoxLayout;
  load = new QPushButton(QStringLiteral("Load"), this);
  process = new QPushButton(QStringLiteral("Process"), this);
  cancel = new QPushButton(QStringLiteral("Cancel"), this);
  for (QPushButton* b : {load, process, cancel}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(load, &QPushButton::clicked, this, &BatchDialog::Load);
  connect(process, &QPushButton::clicked, this, &BatchDialog::Process);
  connect(cancel, &QPushButton::clicked, this, &BatchDialog::reject);
  resize(420, 260);
}

// A list that cannot be read leaves the list box empty.
void BatchDialog::Load() {
  FileRequest request{QString(), {UiText("LST文件 (*.lst)")}, 0, QStringLiteral("lst"), QString(),
                      false};
  const QString path = prompts_.ChooseFile(this, request).path;
  if (path.isEmpty()) return;
  list->clear();
  std::vector<std::string> pictures;
  if (!ProjectSession::ReadList(path.toStdString(), pictures).ok) return;
  for (const std::string& p : pictures) list->addItem(QString::fromStdString(p));
}

// The files go to the current folder; the window keeps answering between pictures.
void BatchDialog::Process() {
  std::vector<std::string> pictures;
  for (int i = 0; i < list->count(); ++i) pictures.push_back(list->item(i)->text().toStdString());
  progress->setRange(0, static_cast<int>(pictures.size()));
  progress->setValue(0);
  running_ = true;
  stopAsked_ = false;
  for (QPushButton* b : {load, process}) b->setEnabled(false);
  std::vector<std::string> messages;
  const Result ran =
      ProjectSession::Batch(pictures, QDir::currentPath().toStdString(), messages, [this] {
        progress->setValue(progress->value() + 1);
        QApplication::processEvents();
        return !stopAsked_;
      });
  running_ = false;
  for (QPushButton* b : {load, process}) b->setEnabled(true);
  // A stopped run wrote nothing and has nothing more to say.
  if (stopAsked_) return;
  if (!ran.ok) messages.push_back(ran.Text());
  QStringList lines;
  for (const std::string& m : messages) lines << QString::fromStdString(m);
  if (!lines.isEmpty()) prompts_.Message(this, lines.join(QLatin1Char('\n')));
}

// During a run, Cancel (and Escape, and closing the window) stops it before the next
// picture instead, and the dialog stays open.
void BatchDialog::reject() {
  if (running_)
    stopAsked_ = true;
  else
    QDialog::reject();
}

}  // namespace tilvex::ui
