// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box for plots: a persistent image that drawings stay on until erased (the widget
// repaints from it), drawn in a user coordinate system.
//
// Coordinates: Scale(x1, y1, x2, y2) puts user point (x1, y1) at the upper-left corner of the
// drawing area and (x2, y2) at its lower-right corner, so y may run upwards:
//     pic2->Scale(0, 7, 350, -7);          // x 0..350 left to right, y +7 top to -7 bottom
// The same system is read and set as ScaleLeft/ScaleTop/ScaleWidth/ScaleHeight (the width is
// x2 - x1, the height y2 - y1, negative when y runs upwards). The default is one unit per
// pixel from (0, 0). The right and bottom edges (x2, y2) lie just outside the last pixel.
//
// Drawing (user units, colours exact, no antialiasing): Line draws both end points;
// FilledBox fills every pixel from one corner to the other, both included; Cls fills the
// image with BackColor. Lines and boxes that run outside the area are clipped; points that
// are not finite are ignored. DrawWidth is the pen width in pixels for lines.
//
// On a scaled screen (device pixel ratio above 1) the image holds the screen's own pixels:
// it is the area's size times the ratio, every drawing lands on device pixels and the widget
// shows the image 1:1, so traces stay sharp. A pen of width 1 is one device pixel wide; wider
// pens grow with the ratio. "Pixels" below are the image's pixels, which are the widget's
// pixels at ratio 1.
//
// Read-back for tests: PixelAt (pixel coordinates in the drawing area), Point (user units),
// Image. Mouse moves, presses and releases over the area are reported in user units.
//
// A right click offers "Copy Image" (to the clipboard) and "Save Image As..." (a PNG file,
// named through SaveFileName of ui/qt_hooks.h); both give the image at the device's pixels.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <memory>
#include <vector>

namespace kva::ui {

class PictureBox : public QFrame {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  // The erase colour (Cls, and new area when the box grows). Setting it does not repaint
  // what is already drawn.
  void SetBackColor(const QColor& c);
  QColor BackColor() const { return backColor_; }

  void Scale(double x1, double y1, double x2, double y2);
  void ScaleDefault();  // one unit per pixel from (0, 0)
  double ScaleLeft() const { return left_; }
  double ScaleTop() const { return top_; }
  double ScaleWidth() const { return width_; }
  double ScaleHeight() const { return height_; }
  void SetScaleLeft(double v) { left_ = v; }
  void SetScaleTop(double v) { top_ = v; }
  // A zero width or height is refused (a programming error: std::invalid_argument).
  void SetScaleWidth(double v);
  void SetScaleHeight(double v);

  void SetDrawWidth(int pixels);  // at least 1
  int DrawWidth() const { return drawWidth_; }

  void Line(double x1, double y1, double x2, double y2, const QColor& c);
  // Segments joining consecutive points, as Line draws them, in one pass (for long traces).
  void Polyline(const std::vector<QPointF>& points, const QColor& c);
  void FilledBox(double x1, double y1, double x2, double y2, const QColor& c);
  void PSet(double x, double y, const QColor& c);
  void Cls();

  // Size of the drawing area in pixels (the widget's inside, without its border, times the
  // device pixel ratio).
  QSize AreaSize() const;
  double PixelRatio() const;
  // Colour of a pixel of the drawing area; an invalid QColor outside it.
  QColor PixelAt(int px, int py) const;
  QColor Point(double x, double y) const;
  const QImage& Image() const;

  // User <-> pixel coordinates of the drawing area (not rounded).
  QPointF ToPixels(double x, double y) const;
  QPointF ToUser(QPointF pixel) const;

  // The context menu's two commands. The image carries the device pixel ratio.
  void CopyImage();
  // Asks for a file name and writes the image there as PNG (".png" is added to a name
  // without an extension). A failed write is shown in a message box naming the file.
  void SaveImageAs();

 signals:
  // button: 1 left, 2 right, 4 middle (held, or the one pressed/released); shift: 1 Shift,
  // 2 Ctrl, 4 Alt; x, y in user units.
  void MouseMove(int button, int shift, double x, double y);
  void MouseDown(int button, int shift, double x, double y);
  void MouseUp(int button, int shift, double x, double y);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  // The image follows the widget's size, also while the widget is hidden (no resize events).
  void FitImage();
  void Sync() const { const_cast<PictureBox*>(this)->FitImage(); }
  QPoint RoundPixel(QPointF p) const;
  void EmitMouse(QMouseEvent* e, int which);
  // Draws the segment (pixel coordinates); returns the pixels it may have touched.
  // Lines the painter draws are added to lines, to be drawn together by DrawLines.
  QRect DrawSegment(QPointF a, QPointF b, const QPen& pen, std::vector<QLine>& lines);
  void DrawLines(const std::vector<QLine>& lines, const QPen& pen);
  void FillPixels(const QRect& pixels, const QColor& c);
  void DrawPolyline(const QPointF* points, size_t count, const QColor& c);
  QPointF MapToPixels(double x, double y) const;  // ToPixels without the size check
  void Touch(const QRect& pixels);                // repaint these pixels of the image
  QPainter& Painter();                            // on image_, opened on first use
  void EndPainting() const;  // before image_ is changed otherwise, copied or replaced
  int PenWidth() const;
  QImage SharedImage() const;

  QImage image_;                               // device pixels; drawn into at ratio 1
  mutable std::unique_ptr<QPainter> painter_;  // on image_; declared after it, ended first
  double ratio_ = 1.0;
  QRect pending_;  // widget area asked to be repainted since the last paint
  QColor backColor_{255, 255, 255};
  double left_ = 0, top_ = 0, width_ = 1, height_ = 1;
  bool pixelScale_ = true;  // default scale follows the area's size
  int drawWidth_ = 1;
};

// "Save Image As...": asks for a file name (".png" added to a name without an extension) and
// writes the image there as PNG; a failed write is shown in a message box naming the file.
void SaveImageAsPng(QWidget* parent, const QImage& image, const QString& suggested);

}  // namespace kva::ui
