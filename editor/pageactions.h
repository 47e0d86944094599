// The main window's page, print, export and import commands and the windows they open: the
// settings dialog, the print preview and the about box, each made once for the run as a child
// of the main window.
#pragma once

#include <cad/cad.h>

#include <QDialog>
#include <functional>

namespace kestrafel {

class TMainForm;
class TSetupForm;
class TPreviewForm;
class TAboutForm;

TSetupForm* SetupForm(TMainForm* Form);
TPreviewForm* PreviewForm(TMainForm* Form);
TAboutForm* AboutForm(TMainForm* Form);

// Runs a modal window and gives its result. Replaceable (tests answer the windows); by default
// the window runs modally.
std::function<int(QDialog*)>& ModalRunner();

void PageSetupExecute(TMainForm* Form);
void PrintSetupExecute(TMainForm* Form);
// The page rendered at scale 1 into the preview, which is shown modally.
void PrintExecute(TMainForm* Form);
void AboutExecute(TMainForm* Form);
// Kind: "Bitmap", "JPEG", "DXF", "SVG" or "PDF". Asks for the file, writes it and says where, or
// why it could not.
void ExportExecute(TMainForm* Form, const QString& Kind);
void ImportAutoCADFileExecute(TMainForm* Form);

// The selection as a picture and as SVG on the system clipboard, for other programs.
void CopySelectionToClipboard(cad::TMyCAD* Cad);
// Shapes (null: every top-level shape of the visible layers) at zoom 1 as an SVG document whose
// corner is Origin (drawing pixels) and whose size is Size.
QByteArray SvgOfShapes(cad::TMyCAD* Cad, const QRect& Area, const cad::TArrMyShape* Shapes);

}  // namespace kestrafel
