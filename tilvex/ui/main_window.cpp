#include "main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "about_dialog.h"
#include "image/colour_tables.h"
#include "lock_keys.h"
#include "output/preview_image.h"
#include "pal_process_dialog.h"
#include "palette_bar.h"
#include "project_view.h"
#include "prompts.h"
#include "transformation_dialog.h"
#include "tv_config_dialog.h"
#include "ui_text.h"

// The icons live in this static library; their registration has to be pulled in by name.
static void InitResources() {
  Q_INIT_RESOURCE(tilvex);
}

namespace tilvex::ui {
namespace {

struct ToolInfo {
  const char* icon;
  const char* status;
  const char* tip;
};

constexpr ToolInfo kTools[kToolCount] = {
    {"eraser", "Select Palette Erase Tool", "Eraser"},
    {"pen", "Select Palette Pen Tool", "Pen"},
    {"select", "Select Palette Select Tool", "Select"},
    {"brush", "Select Palette Brush Tool", "Brush"},
    {"spray", "Select Palette Spray Tool", "Spray"},
    {"paint", "Select Palette Paint Tool", "Paint"},
    {"line", "Select Palette Line Tool", "Line"},
    {"eyedrop", "Select Palette EyeDrop Tool", "Eye Drop"},
    {"magnify", "Select Palette Magnify Tool", "Magnify"},
    {"rectangle", "Select Palette Rectangle Tool", "Rectangle"},
    {"round", "Select Palette Round Tool", "Round"},
    {"oval", "Select Palette Oval Tool", "Oval"},
};

QIcon Icon(const char* name) {
  return QIcon(QStringLiteral(":/tilvex/icons/%1.svg").arg(QString::fromLatin1(name)));
}

}  // namespace

QStringList PromptFilters(bool open) {
  return ToQStringList(FilePromptFilters(open));
}

MainWindow::MainWindow(Prompts& prompts, QSettings& settings, QWidget* parent)
    : QMainWindow(parent), prompts_(prompts), settings_(settings) {
  InitResources();
  setWindowTitle(QStringLiteral("Tilvex"));
  // The console mode Tilvex's older settings files carry; written for them, read by nothing.
  if (!settings_.contains(QStringLiteral("PPUMode")))
    settings_.setValue(QStringLiteral("PPUMode"), 0);
  recent_ = settings_.value(QStringLiteral("RecentFiles")).toStringList().mid(0, kRecentFileCount);
  view_ = new PictureView(document_, drawing_, prompts_, this);
  tree_ = new ProjectView(project_, prompts_, this);
  auto* splitter = new QSplitter(this);
  splitter->addWidget(tree_);
  splitter->addWidget(view_);
  splitter->setSizes({200, 500});
  splitter->setStretchFactor(1, 1);
  setCentralWidget(splitter);
  BuildMenus();
  BuildStatusBar();
  BuildToolBox();
  BuildPaletteBar();
  ConnectView();
  BuildProjectTree();
  // The read-outs follow the mouse and the lock keys, never a timer.
  view_->viewport()->installEventFilter(this);
  qApp->installEventFilter(this);
  UpdateIndicators();
  document_.SetObserver(this);
  UpdateCommands();
  UpdateZoomChecks();
  setAcceptDrops(true);
  // Where the user left the window and its tool box last time.
  if (!restoreGeometry(settings_.value(QStringLiteral("WindowGeometry")).toByteArray()))
    resize(900, 640);
  restoreState(settings_.value(QStringLiteral("WindowState")).toByteArray());
}

// The Transformation dialog goes first, while closing it can still reach the view; then the
// children's signals are cut, since hiding them on the way out would call back into a
// window that is no longer whole.
MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  document_.SetObserver(nullptr);
  delete transformation_.data();
  // The project tree's model follows project_, which goes before the child widgets do.
  delete tree_;
  const QList<QObject*> children = findChildren<QObject*>();
  for (QObject* child : children) disconnect(child, nullptr, this, nullptr);
}

// The tool box floats above the main window, so it is shown after it.
void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (actions_.toolBox->isChecked() && !toolBox_->isVisible())
    QTimer::singleShot(0, toolBox_, &QWidget::show);
}

QAction* MainWindow::AddToggle(QMenu* menu, const QString& text) {
  QAction* action = menu->addAction(text);
  action->setCheckable(true);
  return action;
}

void MainWindow::BuildMenus() {
  BuildFileMenu();
  QMenu* project = menuBar()->addMenu(QStringLiteral("(&P)roject"));
  project->addActions(tree_->MenuActions());
  connect(project, &QMenu::aboutToShow, tree_, &ProjectView::UpdateActions);
  BuildEditMenu();
  BuildViewMenu();
  BuildToolMenu();
  QMenu* help = menuBar()->addMenu(QStringLiteral("(&H)elp"));
  actions_.about = AddAction(help, QStringLiteral("(&A)bout Tilvex..."), [this] {
    AboutDialog dialog(prompts_, this);
    prompts_.Exec(dialog);
  });
}

void MainWindow::BuildEditMenu() {
  QMenu* edit = menuBar()->addMenu(QStringLiteral("(&E)dit"));
  actions_.undo = AddAction(edit, QStringLiteral("(&U)ndo\tCtrl+Z"), [this] { document_.Undo(); });
  actions_.undo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
  actions_.redo = AddAction(edit, QStringLiteral("(&R)edo\tCtrl+Y"), [this] { document_.Redo(); });
  actions_.redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  edit->addSeparator();
  const std::pair<const char*, QList<QKeySequence>> clipboardItems[] = {
      {"Cu(&t)\tCtrl+X",
       {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
      {"(&C)opy\tCtrl+C",
       {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
      {"(&P)aste\tCtrl+V",
       {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
  };
  for (const auto& [text, keys] : clipboardItems) {
    QAction* action = edit->addAction(QString::fromUtf8(text));
    action->setShortcuts(keys);
    action->setEnabled(false);
    if (keys.first() == QKeySequence(Qt::CTRL | Qt::Key_C)) actions_.copy = action;
  }
}

void MainWindow::BuildFileMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("(&F)ile"));
  WindowActions& a = actions_;
  a.newPicture =
      AddAction(file, QStringLiteral("(&N)ew\tCtrl+N"), &MainWindow::OnNew, Qt::CTRL | Qt::Key_N);
  a.newProject = AddAction(file, QStringLiteral("New Project"), [this] { tree_->NewProject(); });
  a.open = AddAction(file, QStringLiteral("(&O)pen...\tCtrl+O"), &MainWindow::OnOpen,
                     Qt::CTRL | Qt::Key_O);
  a.save =
      AddAction(file, QStringLiteral("(&S)ave\tCtrl+S"), &MainWindow::OnSave, Qt::CTRL | Qt::Key_S);
  a.saveAs = AddAction(file, QStringLiteral("Save (&A)s..."), &MainWindow::OnSaveAs);
  a.output = AddAction(file, QStringLiteral("Output...\tF5"), &MainWindow::OnOutput, Qt::Key_F5);
  recentMenu_ = file->addMenu(QStringLiteral("Recent Files"));
  RebuildRecentMenu();
  file->addSeparator();
  a.exit = AddAction(file, QStringLiteral("E(&x)it"), &QWidget::close);
  QToolBar* toolbar = addToolBar(QStringLiteral("Toolbar"));
  toolbar->setObjectName(QStringLiteral("toolbar"));
  for (const auto& [action, icon] : {std::pair{a.newPicture, "new"}, std::pair{a.open, "open"},
                                     std::pair{a.save, "save"}, std::pair{a.output, "output"}}) {
    action->setIcon(Icon(icon));
    toolbar->addAction(action);
  }
}

void MainWindow::BuildViewMenu() {
  QMenu* view = menuBar()->addMenu(QStringLiteral("(&V)iew"));
  QToolBar* toolbar = findChild<QToolBar*>(QStringLiteral("toolbar"));
  QAction* showToolbar = toolbar->toggleViewAction();
  showToolbar->setText(QStringLiteral("(&T)oolbar"));
  view->addAction(showToolbar);
  QAction* showStatus = actions_.statusBar = AddToggle(view, QStringLiteral("(&S)tatusbar"));
  showStatus->setChecked(true);
  connect(showStatus, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
  actions_.palette = AddToggle(view, QStringLiteral("(&P)AL"));
  actions_.toolBox = AddToggle(view, QStringLiteral("Tool (&B)ox"));
  actions_.refresh =
      AddAction(view, QStringLiteral("(&R)efresh"), &MainWindow::OnRefresh, Qt::CTRL | Qt::Key_R);
  actions_.grid = AddToggle(view, QStringLiteral("Display grid"));
  connect(actions_.grid, &QAction::toggled, view_, &PictureView::SetGrid);
  BuildZoomMenus(view);
}

void MainWindow::BuildZoomMenus(QMenu* view) {
  QMenu* in = view->addMenu(QStringLiteral("Zoom in"));
  actions_.normalZoom = AddAction(view, QStringLiteral("Normal(1:1)"), &MainWindow::OnNormalZoom);
  actions_.normalZoom->setCheckable(true);
  QMenu* out = view->addMenu(QStringLiteral("Zoom out"));
  for (int n = 2; n <= kMaxZoom; ++n) {
    const QString digits = n < 10 ? QStringLiteral("&%1").arg(n) : QString::number(n);
    QAction* a = AddToggle(in, digits + QStringLiteral(":1"));
    QAction* b = AddToggle(out, QStringLiteral("1:") + digits);
    connect(a, &QAction::triggered, this, [this, n] { view_->SetZoom(Zoom::In(n)); });
    connect(b, &QAction::triggered, this, [this, n] { view_->SetZoom(Zoom::Out(n)); });
    actions_.zoomIn << a;
    actions_.zoomOut << b;
  }
  actions_.fitZoom = AddAction(
      view, QStringLiteral("Fit to window"), [this] { view_->FitToWindow(); },
      Qt::CTRL | Qt::Key_0);
  // "+" and "-" step the zoom; they have no menu item.
  const auto shortcut = [this](QKeyCombination key) { return new QShortcut(key, this); };
  connect(shortcut(Qt::Key_Plus), &QShortcut::activated, view_, &PictureView::ZoomIn);
  connect(shortcut(Qt::Key_Minus), &QShortcut::activated, view_, &PictureView::ZoomOut);
  // F6 and Shift+F6 move the focus between the project tree and the picture.
  const auto nextPane = [this] {
    (view_->hasFocus() ? tree_ : static_cast<QWidget*>(view_))->setFocus();
  };
  connect(shortcut(Qt::Key_F6), &QShortcut::activated, this, nextPane);
  connect(shortcut(Qt::SHIFT | Qt::Key_F6), &QShortcut::activated, this, nextPane);
}

void MainWindow::BuildToolMenu() {
  QMenu* tool = menuBar()->addMenu(QStringLiteral("(&T)ool"));
  actions_.transform = AddAction(tool, QStringLiteral("(&T)ransform\tCtrl+T"),
                                 &MainWindow::OnTransform, Qt::CTRL | Qt::Key_T);
  QMenu* adapt = tool->addMenu(QStringLiteral("VT03 color adaptation"));
  for (const auto& [text, which] :
       {std::pair{"VT03 HSL 4K", Adaptation::kHsl4K}, std::pair{"VT03 RGB 4K", Adaptation::kRgb4K},
        std::pair{"6561 64", Adaptation::kNes64}})
    AddAction(adapt, QString::fromLatin1(text), [this, which = which] { Adapt(which); });
  actions_.tvEffect = AddAction(tool, QStringLiteral("TV Effect"), [this] {
    QtVolumes volumes;
    RunTvEffect(document_, prompts_, this, volumes, {DataDirectory(), PreviewOutputDirectory()},
                statusBar());
  });
  actions_.emulate = AddAction(tool, QStringLiteral("Run in emulator"), [this] {
    const std::string emulator =
        settings_.value(QStringLiteral("Emulator")).toString().toStdString();
    RunInEmulator(
        document_, prompts_, this, {DataDirectory(), PreviewOutputDirectory()}, emulator,
        [](const QString& program, const QStringList& arguments) {
          return QProcess::startDetached(program, arguments);
        },
        statusBar());
  });
  actions_.batch = AddAction(tool, QStringLiteral("Batch process"), &MainWindow::OnBatch);
  actions_.paletteTool = AddAction(tool, QStringLiteral("Palette tool"), [this] {
    RunPaletteTool(document_, prompts_, this, [this](const QString& text) { ShowStatus(text); });
  });
}

void MainWindow::BuildToolBox() {
  toolBox_ = new QWidget(this, Qt::Tool);
  toolBox_->setWindowTitle(UiText("绘图工具"));
  auto* grid = new QGridLayout(toolBox_);
  grid->setSpacing(1);
  grid->setContentsMargins(2, 2, 2, 2);
  auto* group = new QActionGroup(this);
  for (int i = 0; i < kToolCount; ++i) {
    const QString tip = QString::fromLatin1(kTools[i].tip);
    QAction* action = group->addAction(Icon(kTools[i].icon), tip);
    action->setCheckable(true);
    action->setChecked(i == drawing_.tool);
    action->setToolTip(tip);
    action->setStatusTip(QString::fromLatin1(kTools[i].status));
    action->setObjectName(QStringLiteral("tool%1").arg(i));
    connect(action, &QAction::triggered, this, [this, i] {
      drawing_.tool = i;
      view_->UpdateCursor();
    });
    auto* button = new QToolButton(toolBox_);
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setIconSize(QSize(24, 24));
    grid->addWidget(button, i / 2, i % 2);
  }
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  if (!toolBox_->restoreGeometry(settings_.value(QStringLiteral("ToolBoxGeometry")).toByteArray()))
    toolBox_->move(screen.width() / 3, screen.height() / 3);
  actions_.toolBox->setChecked(true);
  connect(actions_.toolBox, &QAction::toggled, toolBox_, &QWidget::setVisible);
}

void MainWindow::BuildPaletteBar() {
  paletteDock_ = new QDockWidget(QStringLiteral("PAL"), this);
  paletteDock_->setObjectName(QStringLiteral("paletteBar"));
  paletteDock_->setFeatures(QDockWidget::NoDockWidgetFeatures);
  bar_ = new PaletteBar(document_.Colours(), drawing_, prompts_, paletteDock_);
  paletteDock_->setWidget(bar_);
  addDockWidget(Qt::RightDockWidgetArea, paletteDock_);
  QAction* pal = actions_.palette;
  pal->setChecked(true);
  connect(pal, &QAction::toggled, paletteDock_, &QWidget::setVisible);
  connect(paletteDock_, &QDockWidget::visibilityChanged, this,
          [this, pal] { pal->setChecked(!paletteDock_->isHidden()); });
  ColourListArea* list = bar_->List();
  connect(list, &ColourListArea::collect, this,
          [this](int i) { view_->SetHighlight(document_.PixelsOf(i)); });
  connect(list, &ColourListArea::blink, view_, &PictureView::BlinkHighlight);
  connect(list, &ColourListArea::restore, view_, &PictureView::ClearHighlight);
  connect(list, &ColourListArea::recolour, this, [this](int i, Rgb rgb) {
    QTimer::singleShot(0, this, [this, i, rgb] { RunRecolour(i, rgb); });
  });
}

void MainWindow::BuildStatusBar() {
  statusBar()->showMessage(UiText("就绪"));
  connect(tree_, &ProjectView::statusMessage, this, &MainWindow::ShowStatus);
  // Lit while the lock key is on, as far as the window system tells.
  for (const char* name : {"大写", "数字", "滚动"}) {
    auto* indicator = new QLabel(UiText(name), this);
    indicator->setEnabled(false);
    statusBar()->addPermanentWidget(indicator);
    indicators_ << indicator;
  }
}

void MainWindow::UpdateIndicators() {
  const LockKeys keys = ReadLockKeys();
  indicators_[0]->setEnabled(keys.caps);
  indicators_[1]->setEnabled(keys.num);
  indicators_[2]->setEnabled(keys.scroll);
}

}  // namespace tilvex::ui
