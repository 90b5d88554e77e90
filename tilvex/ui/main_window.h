#pragma once
// Tilvex's main window: menus, toolbar, status bar, the floating tool box, the palette bar on
// the right and the splitter with the project tree and the picture view. It owns the one
// document and routes every command to one handler.
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "document_bridge.h"
#include "picture_view.h"
#include "project_bridge.h"
#include "transformation_dialog.h"

class QActionGroup;
class QDockWidget;
class QLabel;
class QMenu;
class QSettings;

namespace tilvex::ui {

class PaletteBar;
class ProjectView;
class Prompts;

// One row of the program's file-type table.
struct FileType {
  int id;
  bool inOpen;
  bool inSave;
  const char* description;
  const char* patterns;
};

// The filters of the open or save prompt, in table order.
QStringList PromptFilters(bool open);

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  MainWindow(Prompts& prompts, QSettings& settings, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Opens a picture or .pic file as the Open command does, without asking for the name;
  // false after telling the user when it cannot be opened.
  bool OpenFile(const QString& path, bool remember = true);

  DocumentBridge& Document() { return document_; }
  ProjectBridge& Project() { return project_; }
  ProjectView* Tree() const { return tree_; }
  PictureView* View() const { return view_; }
  PaletteBar* Bar() const { return bar_; }
  QWidget* ToolBox() const { return toolBox_; }
  QDockWidget* PaletteDock() const { return paletteDock_; }
  TransformationDialog* Transformation() const { return transformation_; }
  DrawingState& Drawing() { return drawing_; }
  bool IsModified() const { return modified_; }
  QString DocumentPath() const { return documentPath_; }
  QStringList RecentFiles() const { return recent_; }
  // The action whose menu text (without the part after a tab) is `text`.
  QAction* Action(const QString& text) const;
  // The idle update of the palette bar's read-outs.
  void UpdateReadOuts();
  void UpdateIndicators();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenus();
  void BuildFileMenu();
  void BuildViewMenu();
  void BuildZoomMenus(QMenu* view);
  void BuildToolMenu();
  void BuildToolBox();
  void BuildPaletteBar();
  void BuildStatusBar();
  void ConnectView();
  QAction* AddAction(QMenu* menu, const QString& text, void (MainWindow::*handler)());
  void UpdateCommands();
  void UpdateZoomChecks();
  void AddRecent(const QString& path);
  void RebuildRecentMenu();
  void ShowDocumentState();
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
  void OnAdaptHsl() { Adapt(Adaptation::kHsl4K); }
  void OnAdaptRgb() { Adapt(Adaptation::kRgb4K); }
  void OnAdaptNes() { Adapt(Adaptation::kNes64); }
  void OnAbout();
  void OnNormalZoom();
  void OnNextPane();
  void Adapt(Adaptation which);
  void RunConversion(const ConversionSettings& settings);
  void ConversionFinished();
  void EditCell(int x, int y);
  bool SaveTo(const QString& path);
  // Asks whether to save a modified picture; false when the user cancels.
  bool MaybeSave();

  Prompts& prompts_;
  QSettings& settings_;
  DocumentBridge document_;
  DrawingState drawing_;
  PictureView* view_ = nullptr;
  ProjectBridge project_;
  ProjectView* tree_ = nullptr;
  PaletteBar* bar_ = nullptr;
  QDockWidget* paletteDock_ = nullptr;
  QWidget* toolBox_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QActionGroup* zoomGroup_ = nullptr;
  QList<QAction*> zoomInActions_;
  QList<QAction*> zoomOutActions_;
  QAction* normalAction_ = nullptr;
  QList<QLabel*> indicators_;
  QPointer<TransformationDialog> transformation_;
  QString pathName_;      // last opened through Open; Refresh reopens it
  QString documentPath_;  // the document's own path, also after a conversion
  QStringList recent_;
  bool modified_ = false;
  int newWidth_ = 0;
  int newHeight_ = 0;
  int openFilterIndex_ = 0;
  int ppuMode_ = 0;
};

}  // namespace tilvex::ui
