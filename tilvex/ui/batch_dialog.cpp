#include "batch_dialog.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
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
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  list = new QListWidget(this);
  top->addWidget(list, 1);
  progress = new QProgressBar(this);
  progress->setOrientation(Qt::Vertical);
  progress->setRange(0, 1);  // an empty range would show Qt's busy bar
  progress->setValue(0);
  progress->setTextVisible(false);
  top->addWidget(progress);
  auto* buttons = new QVBoxLayout;
  load = new QPushButton(QStringLiteral("Load"), this);
  process = new QPushButton(QStringLiteral("Process"), this);
  cancel = new QPushButton(QStringLiteral("Cancel"), this);
  for (QPushButton* b : {load, process, cancel}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  buttons->addStretch();
  top->addLayout(buttons);
  layout->addLayout(top, 1);
  // The output folder, where the run also looks for "Sprite_pgt.bin".
  auto* place = new QHBoxLayout;
  folder = new QLineEdit(QDir::currentPath(), this);
  browse = new QPushButton(QStringLiteral("Browse..."), this);
  browse->setAutoDefault(false);
  place->addWidget(new QLabel(QStringLiteral("Folder"), this));
  place->addWidget(folder, 1);
  place->addWidget(browse);
  layout->addLayout(place);
  status = new QLabel(this);
  status->setWordWrap(true);
  layout->addWidget(status);
  connect(load, &QPushButton::clicked, this, &BatchDialog::Load);
  connect(process, &QPushButton::clicked, this, &BatchDialog::Process);
  connect(cancel, &QPushButton::clicked, this, &BatchDialog::reject);
  connect(browse, &QPushButton::clicked, this, &BatchDialog::Browse);
  resize(420, 300);
}

void BatchDialog::Browse() {
  const QString chosen = prompts_.ChooseDirectory(this, QStringLiteral("Folder"), folder->text());
  if (!chosen.isEmpty()) folder->setText(chosen);
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

// The window keeps answering between pictures.
void BatchDialog::Process() {
  std::vector<std::string> pictures;
  for (int i = 0; i < list->count(); ++i) pictures.push_back(list->item(i)->text().toStdString());
  const QString directory = QDir(folder->text()).absolutePath();
  progress->setRange(0, static_cast<int>(pictures.size()));
  progress->setValue(0);
  status->clear();
  running_ = true;
  stopAsked_ = false;
  const auto setIdle = [this](bool idle) {
    for (QWidget* w : std::initializer_list<QWidget*>{load, process, folder, browse})
      w->setEnabled(idle);
  };
  setIdle(false);
  std::vector<std::string> messages;
  const Result ran = ProjectSession::Batch(pictures, directory.toStdString(), messages, [this] {
    progress->setValue(progress->value() + 1);
    QApplication::processEvents();
    return !stopAsked_;
  });
  running_ = false;
  setIdle(true);
  // A stopped run wrote nothing and needs no message box.
  if (stopAsked_) {
    status->setText(UiText("已停止,没有写出文件。"));
    return;
  }
  // A finished run names each skipped picture in one message, and nothing else.
  const int skipped = ran.ok ? static_cast<int>(messages.size()) : 0;
  const int written = static_cast<int>(pictures.size()) - skipped;
  if (ran.ok && written > 0) {
    status->setText(UiText("已把 %1 帧写入 %2 的 ANI*.asm 和 ANIPGT.BIN,跳过 %3 帧。")
                        .arg(written)
                        .arg(directory)
                        .arg(skipped));
  } else if (ran.ok) {
    status->setText(UiText("没有可写出的帧: %1 帧全部跳过。").arg(skipped));
    messages.insert(messages.begin(), status->text().toStdString());
  } else {
    messages.push_back(ran.Text());
  }
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
