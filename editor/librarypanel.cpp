#include "librarypanel.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QMimeData>
#include <QVBoxLayout>
#include <cmath>

namespace kestrafel {

using namespace cad;

namespace {

constexpr int kPreviewSize = 32;
// The previews' and the list's background: mid grey.
constexpr TColor kPreviewGround = 0x808080;

// The shapes an entry is made of: the selected shapes, a group replaced by its members (an entry
// holds no groups; inserting it makes one combined shape of them).
void CollectLeaves(TMyCAD* Cad, TMyShape* Shape, TArrMyShape& Out, int Depth = 0) {
  if (!Shape || Depth > 64) return;
  if (dynamic_cast<TMyGroup*>(Shape)) {
    for (int32_t no : Shape->ChildShapes) CollectLeaves(Cad, Cad->GetShapeByNo(no), Out, Depth + 1);
    return;
  }
  if (std::find(Out.begin(), Out.end(), Shape) == Out.end()) Out.push_back(Shape);
}

bool SameFile(const QString& A, const QString& B) {
  const QString a = QFileInfo(A).canonicalFilePath(), b = QFileInfo(B).canonicalFilePath();
  return a.isEmpty() || b.isEmpty() ? QFileInfo(A).absoluteFilePath() == QFileInfo(B).absoluteFilePath() : a == b;
}

}  // namespace

// ---- The list of one library ----

const QString TLibListView::kMimeType = QStringLiteral("application/x-kestrafel-library-entry");

TLibListView::TLibListView(QWidget* Parent) : QListWidget(Parent) {
  setViewMode(QListView::IconMode);
  setIconSize(QSize(kPreviewSize, kPreviewSize));
  setGridSize(QSize(76, 64));
  setResizeMode(QListView::Adjust);
  setMovement(QListView::Snap);
  setWordWrap(true);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setContextMenuPolicy(Qt::CustomContextMenu);
  QPalette p = palette();
  p.setColor(QPalette::Base, ToQColor(kPreviewGround));
  p.setColor(QPalette::Text, Qt::white);
  setPalette(p);
}

// The dragged data: the list's token, a line break, the entry's name.
QString TLibListView::EntryOf(const QMimeData* Data) {
  if (!Data || !Data->hasFormat(kMimeType)) return QString();
  const QString all = QString::fromUtf8(Data->data(kMimeType));
  const qsizetype cut = all.indexOf(QLatin1Char('\n'));
  return cut < 0 ? QString() : all.mid(cut + 1);
}

QString TLibListView::TokenOf(const QMimeData* Data) {
  if (!Data || !Data->hasFormat(kMimeType)) return QString();
  const QString all = QString::fromUtf8(Data->data(kMimeType));
  const qsizetype cut = all.indexOf(QLatin1Char('\n'));
  return cut < 0 ? QString() : all.left(cut);
}

QStringList TLibListView::mimeTypes() const { return {kMimeType}; }

QMimeData* TLibListView::mimeData(const QList<QListWidgetItem*>& Items) const {
  if (Items.isEmpty()) return nullptr;
  auto* data = new QMimeData;
  data->setData(kMimeType, (Token + QLatin1Char('\n') + Items.front()->text()).toUtf8());
  data->setText(Items.front()->text());
  return data;
}

void TLibListView::startDrag(Qt::DropActions) {
  QListWidgetItem* item = currentItem();
  if (!item) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(mimeData({item}));
  drag->setPixmap(item->icon().pixmap(kPreviewSize, kPreviewSize));
  drag->setHotSpot(QPoint(kPreviewSize / 2, kPreviewSize / 2));
  // The entry stays in the list whatever the target does with it: a move within the list is
  // made by the library itself.
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void TLibListView::dragEnterEvent(QDragEnterEvent* Event) {
  if (TokenOf(Event->mimeData()) == Token) Event->acceptProposedAction();
  else Event->ignore();
}

void TLibListView::dragMoveEvent(QDragMoveEvent* Event) {
  if (TokenOf(Event->mimeData()) == Token) Event->acceptProposedAction();
  else Event->ignore();
}

void TLibListView::dropEvent(QDropEvent* Event) {
  // Only this list's own entries are moved here.
  if (TokenOf(Event->mimeData()) != Token) {
    Event->ignore();
    return;
  }
  const QString name = EntryOf(Event->mimeData());
  QListWidgetItem* target = itemAt(Event->position().toPoint());
  Event->setDropAction(Qt::CopyAction);
  Event->accept();
  if (name.isEmpty() || (target && target->text() == name)) return;
  if (OnMoveEntry) OnMoveEntry(name, target ? target->text() : QString());
}

// ---- The panel ----

struct TLibraryPanel::TOpenLib {
  std::unique_ptr<TLibManager> Lib;
  QWidget* Page = nullptr;
  TLibListView* List = nullptr;
  bool Modified = false;
  QString Caption;
  // The file the library was opened from or last saved to; empty for a new one.
  QString FileName;
};

TLibraryPanel::TLibraryPanel(TMyCAD* Cad, QWidget* Parent) : QWidget(Parent), FCad(Cad) {
  setObjectName(QStringLiteral("LibraryPanel"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  PageControl2 = new QTabWidget(this);
  PageControl2->setObjectName(QStringLiteral("PageControl2"));
  PageControl2->setDocumentMode(true);
  PageControl2->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(PageControl2);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  QAction* close = PopupMenu1->addAction(QStringLiteral("Close"));
  close->setObjectName(QStringLiteral("miClose"));
  connect(close, &QAction::triggered, this, &TLibraryPanel::miCloseClick);
  connect(PageControl2, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
    const int page = PageControl2->tabBar()->tabAt(PageControl2->tabBar()->mapFrom(PageControl2, At));
    if (page >= 0) PageControl2->setCurrentIndex(page);
    if (PageControl2->count() > 0) PopupMenu1->popup(PageControl2->mapToGlobal(At));
  });

  EntryMenu = new QMenu(this);
  EntryMenu->setObjectName(QStringLiteral("EntryMenu"));
}

TLibraryPanel::~TLibraryPanel() = default;

TLibManager* TLibraryPanel::Lib(int Page) const {
  return Page >= 0 && Page < LibCount() ? FLibs[static_cast<size_t>(Page)]->Lib.get() : nullptr;
}

TLibListView* TLibraryPanel::ListView(int Page) const {
  return Page >= 0 && Page < LibCount() ? FLibs[static_cast<size_t>(Page)]->List : nullptr;
}

bool TLibraryPanel::LibModified(int Page) const { return Page >= 0 && Page < LibCount() && FLibs[static_cast<size_t>(Page)]->Modified; }

int TLibraryPanel::PageOfList(const QObject* Source) const {
  for (int i = 0; i < LibCount(); ++i)
    if (Source && FLibs[static_cast<size_t>(i)]->List == Source) return i;
  return -1;
}

TLibManager* TLibraryPanel::LibOfData(const QMimeData* Data) const {
  const QString token = TLibListView::TokenOf(Data);
  for (const auto& open : FLibs)
    if (!token.isEmpty() && open->List->Token == token) return open->Lib.get();
  return nullptr;
}

QString TLibraryPanel::AskText(const QString& Title, const QString& Label, const QString& Initial) {
  if (OnAskText) return OnAskText(Title, Label, Initial);
  bool ok = false;
  const QString text = QInputDialog::getText(this, Title, Label, QLineEdit::Normal, Initial, &ok);
  return ok ? text : QString();
}

bool TLibraryPanel::OpenLib(const QString& FileName) {
  bool library = false;
  try {
    library = IsVORNLibFile(FileName);
  } catch (const std::exception& e) {
    MessageDlg(QStringLiteral("The library %1 cannot be read: %2").arg(FileName, QString::fromLocal8Bit(e.what())), TMsgDlgType::mtError, mbOK);
    return false;
  }
  if (!library) return false;
  for (const auto& open : FLibs) {
    if (!open->FileName.isEmpty() && SameFile(open->FileName, FileName)) {
      ShowMessage(QStringLiteral("This Lib: ") + FileName + QStringLiteral(" has been opened!"));
      return false;
    }
  }
  auto lib = std::make_unique<TLibManager>();
  if (!lib->LoadFromFile(FileName)) {
    MessageDlg(QStringLiteral("The library %1 cannot be read.").arg(FileName), TMsgDlgType::mtError, mbOK);
    return false;
  }
  AddPage(std::move(lib), QFileInfo(FileName).completeBaseName());
  FLibs.back()->FileName = FileName;
  return true;
}

void TLibraryPanel::NewLib() {
  AddPage(std::make_unique<TLibManager>(), QStringLiteral("Library%1").arg(++FUntitled));
  SetModified(PageControl2->currentIndex(), true);
}

void TLibraryPanel::AddPage(std::unique_ptr<TLibManager> Lib, const QString& Caption) {
  auto open = std::make_unique<TOpenLib>();
  open->Lib = std::move(Lib);
  open->Caption = Caption;
  open->Page = new QWidget(PageControl2);
  open->Page->setObjectName(QStringLiteral("tsLib_") + Caption);
  auto* l = new QVBoxLayout(open->Page);
  l->setContentsMargins(0, 0, 0, 0);
  open->List = new TLibListView(open->Page);
  open->List->setObjectName(QStringLiteral("ListView_") + Caption);
  open->List->Token = QString::number(++FTokens);
  l->addWidget(open->List);
  TLibListView* list = open->List;
  list->OnMoveEntry = [this, list](const QString& Name, const QString& Before) { MoveEntry(PageOfList(list), Name, Before); };
  connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& At) { ShowEntryMenu(list, At); });
  FCurrentLib = open->Lib.get();
  FLibs.push_back(std::move(open));
  const int page = LibCount() - 1;
  PageControl2->addTab(FLibs.back()->Page, Caption);
  PageControl2->setCurrentIndex(page);
  Rebuild(page);
}

void TLibraryPanel::Rebuild(int Page) {
  TLibManager* lib = Lib(Page);
  TLibListView* list = ListView(Page);
  if (!lib) return;
  const QString current = list->currentItem() ? list->currentItem()->text() : QString();
  list->clear();
  const int32_t n = lib->GetcmbShapesCount();
  for (int32_t i = 0; i < n; ++i) {
    const QString name = lib->GetCmbShapesNameByID(i);
    TBitmap preview;
    lib->GetCmbShapeImage(name, kPreviewSize, preview, kPreviewGround);
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(preview.Image())), name, list);
    item->setToolTip(name);
    if (name == current) list->setCurrentItem(item);
  }
}

void TLibraryPanel::SetModified(int Page, bool Modified) {
  if (Page < 0 || Page >= LibCount()) return;
  TOpenLib& open = *FLibs[static_cast<size_t>(Page)];
  open.Modified = Modified;
  PageControl2->setTabText(Page, open.Caption + (Modified ? QStringLiteral(" *") : QString()));
}

bool TLibraryPanel::AddSelection(const QString& Name) {
  TArrMyShape shapes;
  for (TMyShape* s : FCad->GetSelectedShapes()) CollectLeaves(FCad, s, shapes);
  if (shapes.empty()) {
    ShowMessage(QStringLiteral("Select the shapes to add to the library first."));
    return false;
  }
  if (Name.trimmed().isEmpty()) return false;
  if (LibCount() == 0) NewLib();
  const int page = PageControl2->currentIndex();
  TLibManager* lib = Lib(page);
  // The entry's nominal size is the size of its shapes in the drawing (connection points aside).
  TArrMyShape body;
  for (TMyShape* s : shapes)
    if (!dynamic_cast<TMyLinkPoint*>(s)) body.push_back(s);
  const TMyRect box = FCad->GetShapesLTRB(body.empty() ? shapes : body);
  const auto w = static_cast<int32_t>(std::nearbyint(std::max(1.0f, box.Right - box.Left)));
  const auto h = static_cast<int32_t>(std::nearbyint(std::max(1.0f, box.Bottom - box.Top)));
  lib->AppendNewShape(Name, shapes, nullptr, w, h);
  SetModified(page, true);
  Rebuild(page);
  return true;
}

bool TLibraryPanel::SaveLib(int Page) {
  TLibManager* lib = Lib(Page);
  if (!lib) return false;
  TOpenLib& open = *FLibs[static_cast<size_t>(Page)];
  QString file = open.FileName;
  if (file.isEmpty()) {
    file = OnChooseSaveFile ? OnChooseSaveFile(open.Caption + QStringLiteral(".lib")) : QString();
    if (file.isEmpty()) return false;
  }
  try {
    lib->SavetoFile(file);
  } catch (const std::exception& e) {
    MessageDlg(QStringLiteral("The library could not be saved: %1").arg(QString::fromLocal8Bit(e.what())), TMsgDlgType::mtError, mbOK);
    return false;
  }
  open.FileName = file;
  open.Caption = QFileInfo(file).completeBaseName();
  SetModified(Page, false);
  return true;
}

bool TLibraryPanel::CloseLib(int Page) {
  if (Page < 0 || Page >= LibCount()) return true;
  if (LibModified(Page)) {
    const int answer = MessageDlg(QStringLiteral("Library [%1] has changed, do you want to save it?").arg(FLibs[static_cast<size_t>(Page)]->Caption),
                                  TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
    if (answer == mrCancel || (answer == mrYes && !SaveLib(Page))) return false;
    if (answer != mrYes && answer != mrNo) return false;
  }
  std::unique_ptr<TOpenLib> open = std::move(FLibs[static_cast<size_t>(Page)]);
  FLibs.erase(FLibs.begin() + Page);
  PageControl2->removeTab(Page);
  delete open->Page;
  if (FCurrentLib == open->Lib.get()) FCurrentLib = FLibs.empty() ? nullptr : FLibs.back()->Lib.get();
  return true;
}

bool TLibraryPanel::CanClose() {
  for (int i = 0; i < LibCount(); ++i) {
    if (!LibModified(i)) continue;
    PageControl2->setCurrentIndex(i);
    const int answer = MessageDlg(QStringLiteral("Library [%1] has changed, do you want to save it?").arg(FLibs[static_cast<size_t>(i)]->Caption),
                                  TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
    if (answer == mrNo) continue;
    if (answer != mrYes || !SaveLib(i)) return false;
  }
  return true;
}

int32_t TLibraryPanel::DropEntry(const QMimeData* Data, int X, int Y) {
  // The entry comes from the library of the page it was dragged from.
  TLibManager* lib = LibOfData(Data);
  const QString name = TLibListView::EntryOf(Data);
  if (!lib || name.isEmpty()) return -1;
  const int32_t id = FCad->AddUserDefineShapefromLib(lib, name, X, Y, FCad);
  if (OnDrawingChanged) OnDrawingChanged();
  return id;
}

void TLibraryPanel::RenameEntry(int Page, const QString& Name) {
  TLibManager* lib = Lib(Page);
  if (!lib) return;
  const QString now = AskText(QStringLiteral("Rename"), QStringLiteral("New name of the entry:"), Name).trimmed();
  if (now.isEmpty() || now == Name) return;
  if (lib->RenameCmbShapeName(Name, now)) {
    SetModified(Page, true);
    Rebuild(Page);
  }
}

void TLibraryPanel::DeleteEntry(int Page, const QString& Name) {
  TLibManager* lib = Lib(Page);
  if (!lib) return;
  if (MessageDlg(QStringLiteral("Delete the entry \"%1\" from the library?").arg(Name), TMsgDlgType::mtConfirmation, mbYes | mbNo) != mrYes)
    return;
  lib->DeleteShape(Name);
  SetModified(Page, true);
  Rebuild(Page);
}

void TLibraryPanel::MoveEntry(int Page, const QString& Name, const QString& Before) {
  TLibManager* lib = Lib(Page);
  if (!lib) return;
  bool moved = false;
  if (!Before.isEmpty()) {
    moved = lib->MoveCmbShapeBeforeByName(Name, Before);
  } else {
    // To the end: the entry is read whole and written again after the last one.
    TArrMyPoint links;
    TUserData data;
    TLibShapes shapes;
    int32_t w = 0, h = 0;
    if (lib->GetCmbShape(Name, links, &data, shapes, w, h, false)) {
      TArrMyShape raw;
      for (const auto& s : shapes) raw.push_back(s.get());
      lib->DeleteShape(Name);
      lib->AppendNewShape(Name, raw, &data, w, h);
      moved = true;
    }
  }
  if (!moved) return;
  SetModified(Page, true);
  Rebuild(Page);
}

void TLibraryPanel::ShowEntryMenu(TLibListView* List, const QPoint& At) {
  QListWidgetItem* item = List->itemAt(At);
  if (!item) return;
  const int page = PageOfList(List);
  const QString name = item->text();
  EntryMenu->clear();
  QAction* rename = EntryMenu->addAction(QStringLiteral("Rename..."));
  rename->setObjectName(QStringLiteral("miRenameEntry"));
  connect(rename, &QAction::triggered, this, [this, page, name] { RenameEntry(page, name); });
  QAction* remove = EntryMenu->addAction(QStringLiteral("Delete"));
  remove->setObjectName(QStringLiteral("miDeleteEntry"));
  connect(remove, &QAction::triggered, this, [this, page, name] { DeleteEntry(page, name); });
  EntryMenu->popup(List->viewport()->mapToGlobal(At));
}

}  // namespace kestrafel
