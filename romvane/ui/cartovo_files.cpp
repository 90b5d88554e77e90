// The window's commands that write or read files: the build, the list file and the
// workbook, and closing, which may save the list first.

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "cart/cartridge_build.h"
#include "cart/parse_hex.h"
#include "cartovo_dialog.h"
#include "editable_list_ctrl.h"
#include "game_list_model.h"
#include "model/list_file.h"
#include "prompts.h"
#include "ui_text.h"
#include "xls/list_export.h"

namespace romvane {
namespace {

// The build's progress: it has no cancel button, and neither Escape nor the window
// manager's close button takes it away while the make script may still write files.
class BuildProgress : public QProgressDialog {
 public:
  explicit BuildProgress(QWidget* parent)
      : QProgressDialog(UiText("正在等待菜单程序 menu.bin ..."), QString(), 0, kMenuWaitAttempts,
                        parent) {
    setObjectName(QStringLiteral("buildProgress"));
    setWindowTitle(UiText("转换/合成"));
    setWindowModality(Qt::WindowModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setMinimumDuration(0);
    setAutoReset(false);
    setAutoClose(false);
    reset();
  }
  void reject() override {}

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

}  // namespace

void CartovoDialog::LockInput(bool locked) {
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (!child->isWindow()) child->setEnabled(!locked);
  }
}

void CartovoDialog::Build() {
  if (busy_) return;
  view_->EndEdit();
  status_->clear();
  if (const std::string refused = ReserveRefusal(reserve_->text().toStdString());
      !refused.empty()) {
    Tell(refused);
    return;
  }
  busy_ = true;
  const QPointer<QWidget> focused = focusWidget();
  LockInput(true);
  BuildProgress progress(this);

  BuildOptions options;
  options.reserveText = reserve_->text().toStdString();
  options.programDir = programDir_;
  options.launcher = launcher_;
  // The build runs on a worker so the window keeps painting; a sleep a test supplies
  // runs on the window's thread, where it may look at the window.
  options.sleep = [this](int milliseconds) {
    if (!sleep_) return std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    QMetaObject::invokeMethod(
        this, [this, milliseconds] { sleep_(milliseconds); }, Qt::BlockingQueuedConnection);
  };
  std::atomic<int> attempt{0};
  options.onWait = [&attempt](int step) {
    attempt = step;
    return true;
  };
  QEventLoop loop;
  QTimer poll;
  // A menu that is there at the first look needs no progress shown.
  connect(&poll, &QTimer::timeout, this, [&] {
    if (attempt > 1) progress.setValue(attempt);
  });
  poll.start(50);
  BuildResult result;
  std::thread worker([&] {
    result = BuildCartridge(list_, options);
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  poll.stop();
  progress.hide();
  lastBuild_ = BuildPlacement(list_, std::move(result.ordered));
  busy_ = false;
  LockInput(false);
  if (focused) focused->setFocus(Qt::OtherFocusReason);
  if (result.message.empty()) {
    builtContent_ = list_.ContentRevision();
    status_->setText(QString::fromStdString(common::TrFill("已生成 {0}", {result.romPath})));
  } else {
    ShowBuildState();  // a failed build leaves rom.bin as far behind as it was
  }
  Tell(result.message);
}

void CartovoDialog::ExportList() {
  if (busy_) return;
  view_->EndEdit();
  const QString path = prompts_->ChooseFile(this, {UiText("另存为"),
                                                   QStringLiteral("Microsoft Excel (*.xls)"),
                                                   QStringLiteral("xls"),
                                                   QStringLiteral("Rom.xls"),
                                                   true,
                                                   {}});
  if (path.isEmpty()) return;
  // A written file may still carry a warning (a list longer than the sheet).
  Tell(WriteListWorkbook(list_.Games(), path.toStdString()).message);
}

bool CartovoDialog::SaveList() {
  if (busy_ || list_.RowCount() == 0) return false;
  view_->EndEdit();
  const QString path = prompts_->ChooseFile(
      this,
      {UiText("保存文件信息"), UiText("存档文件(*.sav)"), QStringLiteral("sav"), {}, true, {}});
  if (path.isEmpty()) return false;
  const SaveResult saved = SaveListFile(list_, path.toStdString());
  Tell(saved.message);
  return saved.ok;
}

void CartovoDialog::LoadList() {
  if (busy_) return;
  view_->EndEdit();
  if (!MayDropChanges()) return;
  const QString path = prompts_->ChooseFile(
      this,
      {UiText("载入文件信息"), UiText("存档文件(*.sav)"), QStringLiteral("sav"), {}, false, {}});
  if (path.isEmpty()) return;
  LoadListFrom(path);
}

void CartovoDialog::LoadListFrom(const QString& path) {
  const LoadResult loaded =
      model_->Apply([&](GameList& l) { return LoadListFile(l, path.toStdString()); });
  EndSortedOrder();
  // rom.bin is this list's cartridge when the game table the list makes is the one it was
  // built from, whenever the list file was saved.
  builtContent_ = BuiltFromList(list_, reserve_->text().toStdString(), programDir_)
                      ? list_.ContentRevision()
                      : kNotBuilt;
  ShowBuildState();
  std::vector<std::string> messages = loaded.warnings;
  messages.push_back(loaded.error);
  Tell(messages);
}

void CartovoDialog::ShowBuildState() {
  if (busy_) return;
  const QString stale = UiText("rom.bin 比当前列表旧，请重新合成");
  const bool behind = list_.RowCount() > 0 && list_.ContentRevision() != builtContent_ &&
                      ModifiedTime(JoinPath(programDir_, "rom.bin")) >= 0;
  if (behind) {
    status_->setText(stale);
  } else if (status_->text() == stale) {
    status_->clear();
  }
}

bool CartovoDialog::IsModified() const {
  return list_.RowCount() > 0 && list_.Modified();
}

bool CartovoDialog::MayDropChanges() {
  if (!IsModified()) return true;
  const QMessageBox::StandardButton answer =
      prompts_->Ask(this, UiText("游戏列表已修改，是否先保存?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
  if (answer == QMessageBox::Cancel) return false;
  return answer != QMessageBox::Save || SaveList();
}

void CartovoDialog::done(int result) {
  if (busy_) return;  // the make script may still be writing the build's files
  view_->EndEdit();
  if (!MayDropChanges()) return;
  QDialog::done(result);
}

}  // namespace romvane
