// TPrinter and Printer(): documents of pages drawn through a TCanvas, so the
// same drawing code serves screen and paper. The first printer of the list is
// the built-in PDF printer, which writes OutputFileName; the others are the
// print system's printers (through the graphics platform).
//
// Invariants: Canvas() draws on the current page only between BeginDoc and
// EndDoc/Abort; outside a document it measures with the printer's resolution
// and draws nothing (as an information context does). Page numbers start at 1.
// Each document starts with the canvas in a fresh device context's state
// (TCanvas::ResetDeviceState); its pen, brush and font carry over. The PDF
// printer writes Copies whole documents one after the other into its file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/device.h"

ORV_DECLARE_EXCEPTION(EPrinter, Exception)

class TCopyingDevice;

// Name of the built-in PDF printer.
inline constexpr const char* kPdfPrinterName = "PDF";

class TPrinter {
public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The PDF printer, then the print system's printers (Windows-1252 names).
  const std::vector<std::string>& Printers();
  int PrinterIndex() const { return index_; }
  void SetPrinterIndex(int index);  // -1 selects the default (the PDF printer)
  const std::string& OutputFileName() const { return fileName_; }
  void SetOutputFileName(const std::string& path);
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation o);
  // The sheet upright, in twips (the orientation turns it); 0, 0: A4.
  void SetPaperSize(int widthTwips, int heightTwips);
  int Copies() const { return copies_; }
  void SetCopies(int n);

  void BeginDoc();
  void NewPage();
  void EndDoc();
  // Drops the document being printed.
  void Abort();
  bool Printing() const { return job_ != nullptr; }
  bool Aborted() const { return aborted_; }
  int PageNumber() const { return page_; }

  TCanvas* Canvas();
  // Printable area in device pixels.
  int PageWidth();
  int PageHeight();
  TDeviceCaps Caps();

private:
  TPrintJobSettings Settings() const;
  void CheckNotPrinting(const char* what) const;
  std::vector<std::string> printers_;
  bool listed_ = false;
  int index_ = 0;
  std::string fileName_;
  std::string title_;
  TPrinterOrientation orientation_ = poPortrait;
  int paperWidth_ = 0, paperHeight_ = 0;
  int copies_ = 1;
  int page_ = 0;
  bool aborted_ = false;
  std::unique_ptr<TPrintJob> job_;
  // The PDF printer's pages kept for the copies.
  std::unique_ptr<TCopyingDevice> copying_;
  std::unique_ptr<TDrawDevice> info_;
  TCanvas canvas_;
};

// The program's one printer object.
TPrinter* Printer();
