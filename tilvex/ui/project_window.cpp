// The main window's side of the project tree and the batch dialog.
#include <QLabel>
#include <QSettings>

#include "batch_dialog.h"
#include "main_window.h"
#include "project_view.h"
#include "prompts.h"

namespace tilvex::ui {

// The last project comes back at start-up, its root folded; one that is gone is forgotten
// without a word, as the tree then simply shows an untitled project.
void MainWindow::BuildProjectTree() {
  tree_->blockSize = [this] {
    if (document_.IsBlockPicture())
      return QSize(int(document_.Header().width), int(document_.Header().height));
    return QSize(document_.View().width, document_.View().height);
  };
  connect(tree_, &ProjectView::openRequested, this, [this](const QString& path) {
    if (MaybeSave()) OpenFile(path);
  });
  connect(tree_, &ProjectView::projectPathChanged, this,
          [this](const QString& path) { settings_.setValue(QStringLiteral("PRGPath"), path); });
  const QString last = settings_.value(QStringLiteral("PRGPath")).toString();
  if (!last.isEmpty() && tree_->LoadFrom(last, true))
    tree_->collapse(tree_->IndexOf(project_.Tree().Root()));
}

void MainWindow::OnBatch() {
  BatchDialog dialog(prompts_, this);
  prompts_.Exec(dialog);
  // What the last run wrote, and where, stays in sight once the dialog is closed.
  if (!dialog.status->text().isEmpty()) ShowStatus(dialog.status->text());
}

}  // namespace tilvex::ui
