// TLibraryPanel: the "Library" page of the main window. One page per open shape library, each a
// list of 32 x 32 previews of its entries. Entries are dragged onto the surface (where they are
// inserted as one combined shape) and dragged within the list to reorder them; the list's
// context menu renames and deletes them. New libraries are made from the drawing's selection and
// saved; a page with unsaved changes asks before it closes.
#pragma once

#include <cad/cad.h>

#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace kestrafel {

// The entries of one library: drags its entries out (to the surface, or within itself to move
// them).
class TLibListView : public QListWidget {
  Q_OBJECT

public:
  explicit TLibListView(QWidget* Parent);
  // The data a dragged entry carries: its name.
  static const QString kMimeType;
  static QString EntryOf(const QMimeData* Data);
  // Which list the dragged entry comes from (its Token); empty for other data.
  static QString TokenOf(const QMimeData* Data);
  // Tells this list's drags from others'.
  QString Token;
  // An entry dropped within the list: move Name in front of Before (empty: to the end).
  std::function<void(const QString& Name, const QString& Before)> OnMoveEntry;

protected:
  void startDrag(Qt::DropActions Actions) override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& Items) const override;
  QStringList mimeTypes() const override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dragMoveEvent(QDragMoveEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
};

class TLibraryPanel : public QWidget {
  Q_OBJECT

public:
  TLibraryPanel(cad::TMyCAD* Cad, QWidget* Parent);
  ~TLibraryPanel() override;

  QTabWidget* PageControl2 = nullptr;
  // The pages' menu: "Close".
  QMenu* PopupMenu1 = nullptr;
  // The entries' menu: insert, rename, delete.
  QMenu* EntryMenu = nullptr;

  // Asks for a text (an entry's name): the answer, or an empty text when the user cancelled.
  // Replaceable (tests answer); by default a dialog asks.
  std::function<QString(const QString& Title, const QString& Label, const QString& Initial)> OnAskText;
  // Asks for the file to save a library to; an empty text when the user cancelled.
  std::function<QString(const QString& Suggested)> OnChooseSaveFile;
  // After the drawing was changed from here (the host updates its toolbar).
  std::function<void()> OnDrawingChanged;

  // Opens a library file as a new page and makes it active. Nothing happens when the file is no
  // library; a library already open is reported ("This Lib: ... has been opened!").
  bool OpenLib(const QString& FileName);
  // A new, empty library on a page of its own.
  void NewLib();
  // Adds the drawing's selection to the active page's library (a new library when none is open)
  // as an entry of the given name. False when nothing is selected or no name was given.
  bool AddSelection(const QString& Name);
  // Saves the active page's library (asking for a file when it has none); false when cancelled
  // or failed (the reason is shown).
  bool SaveLib(int Page);
  // Closes a page, asking first when its library has unsaved changes; false when the user kept
  // it.
  bool CloseLib(int Page);
  // Asks about every library with unsaved changes; false when the user wants to stay.
  bool CanClose();

  int LibCount() const { return static_cast<int>(FLibs.size()); }
  cad::TLibManager* Lib(int Page) const;
  TLibListView* ListView(int Page) const;
  bool LibModified(int Page) const;
  // The library a dragged entry comes from, or null for other data.
  cad::TLibManager* LibOfData(const QMimeData* Data) const;
  // The most recently opened library.
  cad::TLibManager* CurrentLib() const { return FCurrentLib; }

  // Inserts the dragged entry at (X, Y) of the surface; the new combined shape's id
  // or -1.
  int32_t DropEntry(const QMimeData* Data, int X, int Y);
  void RenameEntry(int Page, const QString& Name);
  void DeleteEntry(int Page, const QString& Name);
  void MoveEntry(int Page, const QString& Name, const QString& Before);

  void miCloseClick() { CloseLib(PageControl2->currentIndex()); }
  // Asks for a text through OnAskText (or a dialog); empty when cancelled.
  QString AskText(const QString& Title, const QString& Label, const QString& Initial);

private:
  struct TOpenLib;
  // Adds a page for the library and makes it active.
  void AddPage(std::unique_ptr<cad::TLibManager> Lib, const QString& Caption);
  // Fills the page's list with one preview per entry.
  void Rebuild(int Page);
  void SetModified(int Page, bool Modified);
  int PageOfList(const QObject* Source) const;
  void ShowEntryMenu(TLibListView* List, const QPoint& At);

  cad::TMyCAD* FCad;
  std::vector<std::unique_ptr<TOpenLib>> FLibs;
  cad::TLibManager* FCurrentLib = nullptr;
  int FUntitled = 0;
  int FTokens = 0;
};

}  // namespace kestrafel
