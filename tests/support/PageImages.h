#pragma once
// Page pictures for tests: PDF files read back with the poppler tools
// (pdftoppm, pdfinfo), ink found in a picture, and two pictures of one page
// compared within a tolerance. Shared by every test that prints: reports,
// preview, rich text, lab orders and labels.
//
// Ink is any pixel darker than a threshold (grey value 0-255, 160 unless
// given), so that antialiased edges count the same in every renderer.
#include <QImage>

#include <string>
#include <vector>

#include "ui/Geometry.h"

// Runs a program (no shell) and returns its standard output; standard
// error is dropped. Empty when the program cannot run.
std::string RunTool(const std::string& program, const std::vector<std::string>& args);

// Page (1-based) of a PDF file at dpi; a null image when it cannot be made.
QImage RenderPdfPage(const std::string& pdfFile, int page, int dpi);
// The number of pages pdfinfo reads; 0 when it reads none.
int PdfPageCount(const std::string& pdfFile);
// Width and height of a page in points, as pdfinfo gives them.
TSize PdfPageSize(const std::string& pdfFile, int page);

bool IsInk(QRgb pixel, int threshold = 160);
// Bounds of the ink inside area (the whole picture when area is empty);
// an empty rectangle when there is none. Right and Bottom are exclusive.
TRect InkBounds(const QImage& image, const TRect& area = {}, int threshold = 160);
// The bounds of each 8-connected patch of ink, top to bottom, then left to right.
std::vector<TRect> InkBoxes(const QImage& image, const TRect& area = {}, int threshold = 160);
// Every ink pixel of each picture lies within tolerance pixels of ink in
// the other. When they differ, why receives the first place found.
bool SameInk(const QImage& a, const QImage& b, int tolerance, std::string* why = nullptr, int threshold = 160);
// Two rectangles equal edge by edge within tolerance pixels.
bool WithinPixels(const TRect& a, const TRect& b, int tolerance);
std::string RectText(const TRect& r);

// Writes the picture as name.png into the folder named by the environment
// variable QM_TEST_PICTURES, when it is set, for a person to look at.
void KeepPicture(const QImage& image, const std::string& name);
