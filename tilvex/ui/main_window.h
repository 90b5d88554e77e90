#pragma once
// Tilvex's main window: menus, toolbar, status bar, the floating tool box, the palette bar on
// the right and the splitter with the project tree and the picture view. It owns the one
// document and routes every command to one handler.
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/command_rules.h"
#include "app/document.h"
#include "app/project_session.h"
#include "picture_view.h"
#include "transformation_dialog.h"

class QDockWidget;
class QLabel;
class QSettings;

namespace tilvex::ui {

class BackgroundWork;
class PaletteBar;
class ProjectView;
class Prompts;

// The filters of the open or save prompt, in table order.
QStringList PromptFilters(bool open);

// The window's commands, held by name.
struct WindowActions {
  QAction* newPicture = nullptr;
  QAction* newProject = nullptr;
  QAction* open = nullptr;
  QAction* save = nullptr;
  QAction* saveAs = nullptr;
  QAction* output = nullptr;
  QAction* exit = nullptr;
  QAction* undo = nullptr;
  QAction* redo = nullptr;
  QAction* copy = nullptr;
  QAction* statusBar = nullptr;
  QAction* palette = nullptr;
  QAction* toolBox = nullptr;
  QAction* refresh = nullptr;
  QAction* grid = nullptr;
  QAction* normalZoom = nullptr;
  QList<QAction*> zoomIn;   // 2:1 ... 16:1
  QList<QAction*> zoomOut;  // 1:2 ... 1:16
  QAction* fitZoom = nullptr;
  QAction* transform = nullptr;
  QAction* tvEffect = nullptr;
  QAction* emulate = nullptr;
  QAction* batch = nullptr;
  QAction* paletteTool = nullptr;
  QAction* about = nullptr;
};

class MainWindow : public QMainWindow, private DocumentObserver {
  Q_OBJECT

 public:
  MainWindow(Prompts& prompts, QSettings& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Opens a picture or .pic file as the Open command does, without asking for the name;
  // false after telling the user when it cannot be opened.
  bool OpenFile(const QString& path, bool remember = true);

  tilvex::Document& Document() { return document_; }
  ProjectSession& Project() { return project_; }
  ProjectView* Tree() const { return tree_; }
  PictureView* View() const { return view_; }
  PaletteBar* Bar() const { return bar_; }
  QWidget* ToolBox() const { return toolBox_; }
  QDockWidget* PaletteDock() const { return paletteDock_; }
  TransformationDialog* Transformation() const { return transformation_; }
  DrawingState& Drawing() { return drawing_; }
  bool IsModified() const { return document_.IsModified(); }
  QString DocumentPath() const { return QString::fromStdString(document_.Path()); }
  QStringList RecentFiles() const { return recent_; }
  const WindowActions& Actions() const { return actions_; }
  // The palette bar's read-out of the pixel under the mouse.
  void UpdateReadOuts();
  void UpdateIndicators();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void DocumentChanged(unsigned changes) override;
  void BuildMenus();
  void BuildEditMenu();
  void BuildFileMenu();
  void BuildViewMenu();
  void BuildZoomMenus(QMenu* view);
  void BuildToolMenu();
  void BuildToolBox();
  void BuildPaletteBar();
  void BuildStatusBar();
  void ConnectView();
  template <typename Slot>
  QAction* AddAction(QMenu* menu, const QString& text, Slot slot, const QKeySequence& key = {}) {
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, slot);
    return action;
  }
  static QAction* AddToggle(QMenu* menu, const QString& text);
  void UpdateCommands();
  void UpdateZoomChecks();
  void AddRecent(const QString& path);
  void RebuildRecentMenu();
  void BuildProjectTree();
  void OnBatch();

  // Commands.
  void OnNew();
  void OnOpen();
  bool OnSave();
  bool OnSaveAs();
  void OnRefresh();
  void OnTransform();
  void OnOutput();
  void OnNormalZoom();
  void Adapt(Adaptation which);
  void RunConversion(const ConversionSettings& settings);
  void RunPaint(const char* working, const std::function<PreparedEdit(WorkSnapshot)>& prepare);
  void RunFill(QPoint at, Rgb rgb, const char* name);
  void RunRecolour(int index, Rgb rgb);
  // Long work: prepare runs on the worker with its own copy of the document, which then
  // adopts the result. Nothing for cancelled work, else what became of it.
  using Prepare = std::function<PreparedEdit(WorkSnapshot, Progress&)>;
  std::optional<Result> RunWork(bool withState, const Prepare& prepare,
                                const std::string& openedPath = {});
  void RunBusy(BackgroundWork& work, const std::function<void(Progress&)>& job);
  void KeepProblemInSight();
  void EditCell(int x, int y);
  void ShowStatus(const QString& text);
  // Asks whether to save a modified picture; false when the user cancels.
  bool MaybeSave();

  Prompts& prompts_;
  QSettings& settings_;
  tilvex::Document document_;
  DrawingState drawing_;
  PictureView* view_ = nullptr;
  ProjectSession project_;
  WindowActions actions_;
  ProjectView* tree_ = nullptr;
  PaletteBar* bar_ = nullptr;
  QDockWidget* paletteDock_ = nullptr;
  QWidget* toolBox_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QList<QLabel*> indicators_;
  QPointer<TransformationDialog> transformation_;
  QString pathName_;  // last opened through Open; Refresh reopens it
  QStringList recent_;
  KeptConversion kept_;  // for the next Transformation dialog
  bool busy_ = false;    // work runs; the window takes no input
  int newWidth_ = 0;
  int newHeight_ = 0;
  int openFilterIndex_ = 0;
};

}  // namespace tilvex::ui
